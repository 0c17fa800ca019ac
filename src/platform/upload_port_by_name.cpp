#include "platform/upload_port_by_name.h"

#include "link/network_port.h"

namespace tramond::platform {

bool UploadPortByName::open(const std::string& name) {
    if (active_) active_->close();
    active_ = isNetworkPortName(name) ? static_cast<UploadPort*>(&network_) : &device_;
    return active_->open(name);
}

}  // namespace tramond::platform
