// The command-line verbs with the serial adapter and the stored link
// settings of the executable.
#include <QCoreApplication>

#include "cli/cli_verbs.h"
#include "link/ui/register_port.h"
#include "platform/settings_qt.h"

namespace tramond {

namespace {

// The verbs only read: a missing link setting takes its default without
// the default being written into the user's settings file.
class ReadOnlySettings : public SettingsStore {
public:
    explicit ReadOnlySettings(SettingsStore& inner) : inner_(inner) {}
    // The store's own read creates a missing value, as the registry does.
    std::string read(const std::string& key, const std::string& name) override {
        return inner_.contains(key, name) ? inner_.read(key, name) : std::string();
    }
    void write(const std::string&, const std::string&, const std::string&) override {}
    bool contains(const std::string& key, const std::string& name) const override { return inner_.contains(key, name); }

private:
    SettingsStore& inner_;
};

}  // namespace

void registerCliVerbs(VerbRegistry& verbs) {
    LinkServices link;
    link.settings = [] {
        QtSettingsStore qt;
        ReadOnlySettings store(qt);
        const auto dir = QCoreApplication::instance()
                             ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                             : std::filesystem::path(".");
        return loadCommsSettings(store, dir);
    };
    link.makePort = [](const std::string& name) { return makeRegisterPort(name); };
    addCliVerbs(verbs, std::move(link));
}

}  // namespace tramond
