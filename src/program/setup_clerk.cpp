#include "program/setup_clerk.h"

#include <fstream>

#include "program/record_kinds.h"
#include "program/setup_common.h"
#include "program/setup_counts.h"

namespace tramond {

namespace {

constexpr std::array<SetupFloatingClerks::FieldInfo, 3> kFloatingFields{{
    {SetupFloatingClerks::Field::MaxClerks, "Max Floating Clerks   :", 80, 100},
    {SetupFloatingClerks::Field::MaxTransactionSize, "Max Transaction Size  :", 81, 240},
    {SetupFloatingClerks::Field::SelectTimer, "Select Timer (sec)    :", 82, 240},
}};

// The ".smr" beside a program carries a copy of the application block; it is
// updated in place and never created here.
void updateSmrFile(const ProgramSession& session) {
    const auto smr = session.file(".smr");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(smr, ec)) return;
    std::fstream f(smr, std::ios::in | std::ios::out | std::ios::binary);
    if (!f) return;
    f.seekp(0);
    f.write(reinterpret_cast<const char*>(session.app.bytes().data()),
            static_cast<std::streamsize>(session.app.bytes().size()));
}

}  // namespace

std::string SetupClerk::numberLabel(std::string_view number, std::string_view max) {
    return std::string(number) + " (" + std::string(max) + "999)";
}

std::string SetupClerk::countText() const { return std::to_string(app_.u16(kCount)); }

bool SetupClerk::clerkTime() const { return app_.bit(kClerkTimeByte, 0); }

bool SetupClerk::acceptsText(std::string_view text) const {
    return text.empty() || setup::parseNumber(text, kLimit).has_value();
}

bool SetupClerk::store(std::string_view countText, bool clerkTime) {
    const auto n = setup::parseNumberOrZero(countText, kLimit);
    if (!n) return false;
    app_.setU16(kCount, static_cast<std::uint16_t>(*n == 0 ? 1 : *n));
    app_.setBit(kClerkTimeByte, 0, clerkTime);
    return true;
}

void setClerkRecordLength(ApplicationBlock& app) {
    const int extra = app.bit(SetupClerk::kClerkTimeByte, 0) ? 40 : 2;
    app.setU16(SetupClerk::kRecordLength,
               static_cast<std::uint16_t>(app.u8(SetupClerk::kDescriptorLength) + extra));
}

MemoryRequirement finishSetupClerk(ProgramSession& session, bool confirmed) {
    setClerkRecordLength(session.app);
    const auto memory = recomputeSizes(session.app);
    if (session.loaded) {
        if (confirmed) {
            setup::writeApplicationFile(session);
            updateSmrFile(session);
        }
        setup::extendRecordFile(session, RecordKind::Clerk);
    }
    return memory;
}

MemoryRequirement finishSetupFloatingClerks(ProgramSession& session, bool confirmed) {
    const auto memory = recomputeSizes(session.app);
    if (session.loaded && confirmed) setup::writeApplicationFile(session);
    return memory;
}

const std::array<SetupFloatingClerks::FieldInfo, 3>& SetupFloatingClerks::fields() { return kFloatingFields; }

std::string SetupFloatingClerks::transactionSizeError() {
    return std::string(kFloatingFields[1].label) + "must be bigger then zero!";
}

std::string SetupFloatingClerks::text(Field f) const {
    return std::to_string(app_.flag(kFloatingFields[static_cast<std::size_t>(f)].flag));
}

bool SetupFloatingClerks::acceptsText(Field f, std::string_view text) const {
    return text.empty() || setup::parseNumber(text, kFloatingFields[static_cast<std::size_t>(f)].limit).has_value();
}

SetupFloatingClerks::Outcome SetupFloatingClerks::store(const std::array<std::string, 3>& texts) {
    std::array<std::uint8_t, 3> v{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto n = setup::parseNumberOrZero(texts[i], kFloatingFields[i].limit);
        if (!n) return Outcome::WrongInput;
        v[i] = static_cast<std::uint8_t>(*n);
    }
    if (v[0] != 0 && v[1] == 0) return Outcome::NeedsTransactionSize;
    for (std::size_t i = 0; i < 3; ++i) app_.setFlag(kFloatingFields[i].flag, v[i]);
    return Outcome::Stored;
}

}  // namespace tramond
