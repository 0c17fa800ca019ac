// A record file with the count the application block gives it, as a send
// meets it: shorter, longer or just as long as the count says, any bytes.
// The check before sending must judge the length without reading past the
// file; the PLU list of code mode must sort, index and search any codes.
#include "editors/plu_list.h"
#include "fuzz_support.h"
#include "link/send_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    if (size < 3) return 0;
    const std::size_t count = (std::size_t{data[0]} << 8 | data[1]) % 2000;
    const int codeBytes = data[2] % 8;
    const auto plu = fuzz::scratch() / "p.plu";
    fuzz::writeFile(plu, data + 3, size - 3);
    (void)checkFilesForSending({{plu, std::uint64_t{count} * kPluRecordSize}});
    if (codeBytes == 0) return 0;
    for (auto order : {PluListOrder::Code, PluListOrder::Name}) {
        const auto list = PluList::read(plu, count, codeBytes, order);
        if (!list) continue;
        for (std::size_t i = 0; i < list->size(); ++i) (void)list->recordAt(i);
        (void)list->findCode("123456");
        (void)list->usedCount();
    }
    return 0;
}
