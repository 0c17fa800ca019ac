#include "link/register_ops.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "editors/plu_list.h"
#include "link/network_port.h"
#include "link/register_ops_staging.h"
#include "link/send_check.h"
#include "link/update_plan.h"
#include "program/file_io.h"
#include "program/keyboard_header.h"
#include "program/machine_printer.h"
#include "program/plu_numbering.h"
#include "program/program_ops.h"
#include "program/sizing.h"

namespace tramond {
namespace fs = std::filesystem;
using namespace opsmsg;

namespace {

// The system blocks of a whole program, in the order the register expects
// them when reading and installing.
constexpr std::uint16_t kSystemOrder[] = {
    2,    3,    5,    6,    7,    8,    11,   12,   13,   14,   15,   16,   120,  121,  122,  21,  22,
    23,   80,   81,   82,   83,   84,   30,   31,   32,   33,   34,   35,   36,   37,   40,   41,  42,
    43,   44,   45,   46,   47,   48,   49,   50,   51,   52,   53,   54,   55,   56,   57,   58,  59,
    60,   62,   65,   66,   70,   71,   94,   73,   74,   96,   76,   77,   19,   20,   300,  400, 500,
    600,  700,  800,  900,  1000, 2900, 3000, 4000, 4500, 5000, 10000, 2100, 93,
};

enum class FileCondition { Always, PbInfoCount, OwnCount };

struct RecordFileStep {
    const char* extension;
    FileCondition condition;
};

// The record files of a whole program, in transfer order (".plu" last: it
// goes in list order when PLUs are addressed by code).
constexpr RecordFileStep kRecordFiles[] = {
    {".cor", FileCondition::Always}, {".cur", FileCondition::Always},
    {".dis", FileCondition::Always}, {".drw", FileCondition::Always},
    {".pbf", FileCondition::PbInfoCount}, {".por", FileCondition::Always},
    {".tnd", FileCondition::Always}, {".mod", FileCondition::Always},
    {".sps", FileCondition::OwnCount}, {".tax", FileCondition::Always},
    {".clk", FileCondition::Always}, {".grp", FileCondition::Always},
    {".con", FileCondition::Always}, {".dpt", FileCondition::Always},
    {".plu", FileCondition::Always},
};

constexpr std::size_t kDayMultiplierOffset = 1058;    // block 5
constexpr std::size_t kMonthMultiplierOffset = 2166;  // block 6
constexpr std::size_t kBlock3Offset = 703;
constexpr std::size_t kApplicationCheckLength = 256;
constexpr std::size_t kIndividualBitsOffset = 2566;   // byte 0 of block 93
constexpr std::uint32_t kPxtProgressTotal = 1080;
constexpr std::uint32_t kPxtCount = 9;  // the trailer file counts as 9 on the way out

const char* titleFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return "Error";
        case MessageKind::Warning: return "Warning";
        case MessageKind::Information: return "Information";
    }
    return "";
}

bool pbTrailer(const ApplicationBlock& app) { return sendsPbTrailer(app); }
// Reading and sending word the text condition differently (the whole flag
// against its first option); both are kept as the register expects them.
bool pbInfoFileOnLoad(const ApplicationBlock& app) {
    return pbCodeRecords(app) || (app.u8(kAppPbTextSizeOffset) != 0 && app.flag(83) == 0);
}
bool hasCustomers(const ApplicationBlock& app) { return app.option(119, 1); }

}  // namespace

RegisterOperations::RegisterOperations(ProgramSession& session, SerialPort& port, RegisterOpsHost& host,
                                       RegisterOpsConfig config)
    : session_(session), noting_(host), host_(noting_), config_(std::move(config)), link_(port) {
    link_.onMessage = [this](const std::string& text) { host_.message(MessageKind::Error, "Error", text); };
}

// ---- helpers ---------------------------------------------------------------

void RegisterOperations::error(const std::string& text) { host_.message(MessageKind::Error, "Error", text); }

void RegisterOperations::NotingHost::message(MessageKind kind, const std::string& title, const std::string& text) {
    if (!quiet && firstProblem.empty() && kind != MessageKind::Information) firstProblem = text;
    host_.message(kind, title, text);
}

// ---- history ---------------------------------------------------------------

void RegisterOperations::noteHistory(const history::RecordOutcome& outcome, bool main) {
    if (!outcome.warning.empty()) {
        noting_.quiet = true;
        host_.message(MessageKind::Warning, "Warning", history::warningText(outcome));
        noting_.quiet = false;
    }
    if (main) {
        const std::string earlier = history_ ? history_->warning : std::string();
        history_ = outcome;
        if (history_->warning.empty()) history_->warning = earlier;
    } else if (!outcome.warning.empty() && !history_) {
        history_ = history::RecordOutcome{false, 0, outcome.warning};
    }
}

// What an operation is about to replace is kept first, so it can be put back.
void RegisterOperations::keepBeforeReplacing(const fs::path& appPath) {
    if (!config_.recordHistory || appPath.empty()) return;
    std::error_code ec;
    if (!fs::exists(appPath, ec)) return;
    noteHistory(history::ProgramHistory(appPath).keepCurrent(), false);
}

void RegisterOperations::recordVersion(const fs::path& appPath, history::Event event, bool ok) {
    // A run refused before the port opened changed nothing, so it writes nothing.
    if (!config_.recordHistory || appPath.empty() || !lineUsed_) return;
    history::Transfer transfer;
    transfer.registers = registers_;
    transfer.port = config_.link.port;
    transfer.baud = config_.link.baudRate;
    if (ok) {
        transfer.result = "ok";
    } else {
        transfer.result = "failed";
        if (!failedRegisters_.empty() && registers_.find('-') != std::string::npos) {
            transfer.result += " on";
            for (std::size_t i = 0; i < failedRegisters_.size(); ++i)
                transfer.result += (i ? ", " : " ") + std::to_string(failedRegisters_[i]);
        }
        if (!noting_.firstProblem.empty()) transfer.result += ": " + noting_.firstProblem;
    }
    noteHistory(history::ProgramHistory(appPath).record({event, {}, transfer, false}), true);
}

void RegisterOperations::beginRun(const TargetChoice& t) {
    lineUsed_ = false;
    failedRegisters_.clear();
    history_.reset();
    noting_.firstProblem.clear();
    // What the run addresses: the register on the cable, one, or a range.
    if (t.terminalNumber == 0 || t.terminalNumber >= t.lastTerminal) registers_ = std::to_string(t.terminalNumber);
    else registers_ = std::to_string(t.terminalNumber) + "-" + std::to_string(t.lastTerminal);
}

void RegisterOperations::linkFailed() { error(withPortProblem(kCheckRs232, link_.portProblem())); }

TargetChoice RegisterOperations::target(bool allowNetwork) {
    if (session_.unattended) {
        TargetChoice t = preset_;
        t.proceed = true;
        return t;
    }
    return host_.chooseTarget(allowNetwork);
}

bool RegisterOperations::openPort() {
    PortConfig pc;
    pc.name = config_.link.port;
    pc.baudRate = config_.link.baudRate;
    pc.hwHandshake = config_.link.hwHandshake;
    pc.timeoutMs = config_.timeoutMs > 0 ? config_.timeoutMs : RegisterLink::timeoutFor(session_.unattended);
    // A network port waits up to seconds for a far side that does not
    // answer: the progress window, and its Cancel, stand from the start.
    const bool network = isNetworkPortName(pc.name);
    if (network) {
        ProgressState connecting;
        connecting.caption = "Connecting to " + pc.name;
        connecting.headline = headline_;
        host_.progressChanged(connecting);
        host_.showProgress();
    }
    const bool opened = link_.open(pc);
    lineUsed_ = lineUsed_ || opened;
    if (!opened && network) host_.closeProgress();
    if (!opened && link_.linkError() == kUserBreak) reportLinkError(MessageKind::Information);
    return opened;
}

void RegisterOperations::closePort() { link_.close(); }

void RegisterOperations::attach(FileTransfer& xfer) {
    xfer.progress.onChange = [this](const ProgressState& s) { host_.progressChanged(s); };
    xfer.pump = [this] { host_.pump(); };
    xfer.progress.setHeadline(headline_);
}

RegisterOperations::Step RegisterOperations::fromTransfer(const FileTransfer& xfer, bool ok) {
    if (ok) return Step::Ok;
    if (link_.linkError() != kLinkOk) return Step::Failed;
    if (!xfer.fileError().empty()) {
        error(xfer.fileError());
        return Step::Reported;
    }
    // Delivered, but five bad answers in a row: the data did not arrive, so
    // this is a failed link however quietly it failed.
    link_.setLinkError(kLinkFailure);
    return Step::Failed;
}

void RegisterOperations::reportLinkError(MessageKind userBreakKind) {
    if (link_.linkError() == kLinkFailure) linkFailed();
    else if (link_.linkError() == kUserBreak) host_.message(userBreakKind, titleFor(userBreakKind), kUserBreakText);
}

bool RegisterOperations::requestIdentification(FileTransfer& xfer) {
    if (xfer.requestRecords(kBlockIdentification)) return true;
    if (link_.linkError() == kUserBreak) return false;
    host_.wait(config_.identificationRetryDelay);
    // A register busy with something else may miss the first request; the
    // second one deserves a line that is not already written off.
    if (link_.linkError() == kLinkFailure) link_.setLinkError(kLinkOk);
    return xfer.requestRecords(kBlockIdentification);
}

void RegisterOperations::applyMachineSettings() {
    const int machine = session_.app.u8(kMachineByteOffset);
    if (session_.app.bit(kIndividualBitsOffset, 0)) loadMachineKeyboard(session_, machine);
    if (session_.app.bit(kIndividualBitsOffset, 1) && machine != 0)
        readMachinePrinterFile(session_.programPath, machine, session_.app);
}

bool RegisterOperations::networkLoop(const TargetChoice& t, const std::function<bool()>& perRegister) {
    // The loop borrows the application block for each register's keyboard
    // and printers; afterwards it holds what it held before.
    const ApplicationBlock before = session_.app;
    const int machineBefore = session_.machineNumber;
    const std::uint8_t terminalBefore = link_.terminalNumber;
    bool all = true;
    int ran = 0;
    for (int n = t.terminalNumber; n <= t.lastTerminal; ++n) {
        if (n != 0) {
            session_.app.setU8(kMachineByteOffset, static_cast<std::uint8_t>(n));
            session_.machineNumber = n;
            host_.programChanged();
        }
        headline_ = "Register # " + std::to_string(session_.machineNumber);
        link_.terminalNumber = static_cast<std::uint8_t>(n);
        const bool ok = perRegister();
        if (!ok) failedRegisters_.push_back(n);
        all = all && ok;
        loopSucceeded_ = loopSucceeded_ && ok;
        ++ran;
    }
    headline_.clear();
    link_.terminalNumber = terminalBefore;
    session_.app = before;
    session_.machineNumber = machineBefore;
    host_.programChanged();
    return all && ran > 0;
}

// ---- Load from Register ----------------------------------------------------

bool RegisterOperations::loadFromRegister() {
    if (session_.machineNumber > 1) {
        try {
            restoreMachineOne(session_);
        } catch (const std::exception& e) {
            error(e.what());
            return false;
        }
        host_.programChanged();
    }
    const TargetChoice t = target(false);
    if (!t.proceed) return false;
    link_.terminalNumber = t.terminalNumber;
    beginRun(t);

    auto chosen = host_.chooseLoadTarget(kLoadTitle);
    if (!chosen || chosen->empty()) return false;
    fs::path path = *chosen;
    if (path.extension().empty()) path.replace_extension(".app");
    // Refused before the register is asked for anything: a folder in a
    // program file's place must never end up in the staging folder.
    if (const auto why = unusableLoadTarget(path); !why.empty()) {
        error(why);
        return false;
    }
    std::error_code ec;
    if (fs::exists(path, ec) &&
        !host_.ask({kOverwrite, "Confirm", MessageKind::Warning, Answers::OkCancel}))
        return false;

    std::unique_ptr<LoadStaging> staging;
    try {
        staging = std::make_unique<LoadStaging>(path);
    } catch (const FileError& e) {
        error(e.what());
        return false;
    }
    for (const auto& problem : staging->recoveryProblems()) host_.message(MessageKind::Warning, "Warning", problem);
    if (!openPort()) return false;

    // Everything is received into a copy of the session whose files live in
    // the staging folder; the real session and files change only at the end.
    ProgramSession staged;
    staged.app = session_.app;
    staged.text = session_.text;
    staged.programPath = staging->stagedApp();
    FileTransfer xfer(link_, staged.app, staged.text);
    xfer.programPath = staged.programPath;
    xfer.shownPath = path;
    attach(xfer);
    // Titled from the start: the window stands while the register is asked
    // who it is, which a silent one never answers.
    xfer.progress.setCaption(kRead);
    host_.showProgress();

    Step step = receiveProgram(xfer, staged.app);
    if (step == Step::Ok) {
        try {
            writeFileAtomic(staging->staged(".app"), staged.app.bytes());
            writeFileAtomic(staging->staged(".txt"), staged.text.bytes());
            writeTextFileAtomic(staging->staged(".upd"), std::string());
            if (staging->adoptExisting(".kbf")) writeKeyboardHeader(staging->staged(".kbf"), staged.app);
            // The program being closed and the one about to be overwritten
            // stay in their histories.
            if (session_.loaded && session_.programPath != path) keepBeforeReplacing(session_.programPath);
            keepBeforeReplacing(path);
            staging->commit();
            const auto loaded = loadProgram(session_, path);
            if (!loaded.ok()) throw FileError(loadOutcomeMessage(loaded.outcome));
            session_.machineNumber = 0;
            recordVersion(path, history::Event::Load, true);
        } catch (const std::exception& e) {
            error(e.what());
            step = Step::Reported;
        }
    }
    if (step == Step::Failed) reportLinkError(MessageKind::Error);
    if (step != Step::Ok) {
        session_.loaded = false;
        session_.programPath.clear();
    }
    host_.programChanged();
    host_.closeProgress();
    closePort();
    return step == Step::Ok;
}


RegisterOperations::Step RegisterOperations::receiveProgram(FileTransfer& xfer, ApplicationBlock& app) {
    if (!requestIdentification(xfer)) {
        if (link_.linkError() == kUserBreak) return Step::Failed;
        linkFailed();
        return Step::Reported;
    }
    auto& p = xfer.progress;
    p.setCaption(kRead);
    p.setFile((xfer.shownPath.empty() ? xfer.programPath : xfer.shownPath).string(), kSystemBlockSteps);
    p.setRange(kSystemBlockSteps);
    p.resetCounter();
    host_.showProgress();

    for (auto k : kSystemOrder)
        if (auto s = fromTransfer(xfer, xfer.requestRecords(k)); s != Step::Ok) return s;
    if (app.u8(kDayMultiplierOffset) == 0) app.setU8(kDayMultiplierOffset, 7);
    if (app.u8(kMonthMultiplierOffset) == 0) app.setU8(kMonthMultiplierOffset, 12);

    const std::uint16_t pbInfo = pbInfoCount(app);
    for (const auto& f : kRecordFiles) {
        const KindBlock* kind = findKindByExtension(f.extension);
        const std::uint32_t count = kindCount(app, *kind);
        if (f.condition == FileCondition::PbInfoCount && pbInfo == 0) continue;
        if (f.condition == FileCondition::OwnCount && count == 0) continue;
        if (auto s = fromTransfer(xfer, xfer.transferFileKind(f.extension, kind->base, TransferDirection::Receive,
                                                              count, count));
            s != Step::Ok)
            return s;
    }
    if (pbInfo != 0 && pbInfoFileOnLoad(app))
        if (auto s = fromTransfer(xfer, xfer.transferFileKind(".pbr", 60000, TransferDirection::Receive, pbInfo,
                                                              pbInfo));
            s != Step::Ok)
            return s;
    if (pbInfo != 0 && pbTrailer(app))
        if (auto s = fromTransfer(xfer, xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Receive,
                                                              kPxtProgressTotal, kPxtCount));
            s != Step::Ok)
            return s;
    if (auto s = fromTransfer(xfer, xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Receive, 1, 1));
        s != Step::Ok)
        return s;
    if (hasLogo(app))
        if (auto s = fromTransfer(xfer, xfer.receiveLogo()); s != Step::Ok) return s;
    if (hasCustomers(app))
        if (auto s = fromTransfer(xfer, xfer.transferFileKind(".cst", kBlockCustomer, TransferDirection::Receive,
                                                              kCustomerRecords, kCustomerRecords));
            s != Step::Ok)
            return s;
    return link_.linkError() == kLinkOk ? Step::Ok : Step::Failed;
}

// ---- RegisterSend ----------------------------------------------------------

bool RegisterOperations::registerSend(SendMode mode) {
    if (!session_.loaded) {
        host_.message(MessageKind::Warning, "Error", kNoProgram);
        return false;
    }
    try {
        applyMachineSettings();
    } catch (const std::exception& e) {
        error(e.what());
        return false;
    }
    // Nothing may reach the register, least of all CLR, while a file it
    // would need is missing, unreadable or short.
    if (const auto why = checkBeforeSending(mode); !why.empty()) {
        error(why);
        return false;
    }
    if (!openPort()) return false;

    FileTransfer xfer(link_, session_.app, session_.text);
    xfer.programPath = session_.programPath;
    attach(xfer);
    // The progress window, and its Cancel, stand from the first request on:
    // a silent register is otherwise waited for with nothing to stop it.
    xfer.progress.setCaption(mode == SendMode::ClearAndInstall ? kClearing : kSend);
    host_.showProgress();

    Step step = Step::Ok;
    if (!xfer.requestRecords(kBlockIdentification)) {
        host_.wait(config_.identificationRetryDelay);
        // The next request is the second chance; a line written off by the
        // first one would refuse it unheard.
        if (link_.linkError() == kLinkFailure) link_.setLinkError(kLinkOk);
    }
    if (link_.linkError() == kUserBreak) step = Step::Failed;

    if (step == Step::Ok && mode != SendMode::ClearAndInstall) {
        auto block3 = session_.app.slice(kBlock3Offset, kApplicationCheckLength);
        session_.app.setU32(kBlock3Offset + kBlock3ClearedOffset, 0);
        std::array<std::uint8_t, kApplicationCheckLength> mine{};
        std::copy(block3.begin(), block3.end(), mine.begin());
        const bool received = xfer.requestRecords(kBlockApplicationCheck);
        const bool same = received && std::equal(mine.begin(), mine.end(), block3.begin());
        if (!same) {
            std::copy(mine.begin(), mine.end(), block3.begin());
            closePort();
            if (link_.linkError() == kUserBreak) reportLinkError(MessageKind::Information);
            else if (received) host_.message(MessageKind::Warning, "Warning", kWrongApplication);
            else linkFailed();
            return false;
        }
    } else if (step == Step::Ok) {
        step = memoryCheckAndClear(xfer);
    }

    if (step == Step::Ok && !xfer.requestRecords(kBlockIdentification)) {
        // Said nothing before; a send that never started must not look like
        // one that finished.
        if (link_.linkError() != kLinkOk) {
            step = Step::Failed;
        } else {
            linkFailed();
            step = Step::Reported;
        }
    }
    if (step == Step::Ok) {
        if (mode != SendMode::ClearAndInstall) host_.showProgress();
        auto& p = xfer.progress;
        p.setCaption(kSend);
        p.setFile(session_.programPath.string(), kSystemBlockSteps);
        p.setRange(kSystemBlockSteps);
        p.resetCounter();
        step = mode == SendMode::Update ? sendUpdate(xfer) : sendEverything(xfer);
        if (step == Step::Ok && link_.linkError() != kLinkOk) step = Step::Failed;
    }
    if (step == Step::Failed) reportLinkError(MessageKind::Information);
    closePort();
    host_.closeProgress();

    return step == Step::Ok;
}

std::string RegisterOperations::checkBeforeSending(SendMode mode) {
    const ApplicationBlock& app = session_.app;
    const std::uint16_t pbInfo = pbInfoCount(app);
    const int terminal = link_.terminalNumber == 0 ? 1 : link_.terminalNumber;
    std::vector<SendFileNeed> needs;
    auto recordsOf = [&](std::string_view extension, std::uint32_t count) {
        const KindBlock* kind = findKindByExtension(extension);
        needs.push_back({session_.file(extension), std::uint64_t{count} * kind->recordSize});
    };
    auto pxt = [&] { needs.push_back({session_.file(".pxt"), kPxtFileSize}); };
    auto chk = [&] {
        needs.push_back({session_.file(".chk"), kChkCommonSize + static_cast<std::uint64_t>(terminal) * kChkPartSize});
    };

    if (mode == SendMode::Update) {
        const auto updFile = session_.file(".upd");
        std::error_code ec;
        const auto updStatus = fs::status(updFile, ec);
        if (!fs::exists(updStatus)) return {};  // said by the update itself
        // Reading a FIFO would wait for ever with the port open.
        if (!fs::is_regular_file(updStatus))
            return "Cannot send the program: \"" + updFile.string() + "\" is not a regular file";
        std::vector<std::string> lines;
        try {
            lines = readUpdateFileLines(updFile);
        } catch (const std::exception& e) {
            return e.what();
        }
        const bool byCode = app.u8(kAppPluRandomSizeOffset) != 0;
        UpdatePlan plan = planUpdate(lines, byCode);
        dropStale(plan, app);
        if (auto why = checkUpdatePlan(plan, app, session_.programPath, byCode, needs); !why.empty()) return why;
        bool texts = false;
        bool logo = false;
        for (auto k : plan.systemBlocks) {
            if (k == kBlockPbTrailer && pbTrailer(app)) pxt();
            if (k == kBlockChk) chk();
            if (k == kBlockLogo) logo = true;
            if (const auto* block = findSystemBlock(k); block && block->area == BlockArea::Text) texts = true;
        }
        if (texts) needs.push_back(textFileNeed(session_.programPath));
        const std::uint16_t pluCount = app.u16(2227);
        if (byCode && (pluCount != 0 || !plan.pluLines.empty())) {
            for (const auto& line : plan.pluLines) {
                if (pluCommandFor(line) == PluCommand::Delete) continue;
                const auto pos = pluLinePosition(line);
                if (!pos || *pos < 1 || *pos > pluCount)
                    return std::string(kNotValidInteger) + "\n\"" + line + "\"";
            }
            recordsOf(".plu", pluCount);
        }
        if (auto why = checkFilesForSending(needs); !why.empty()) return why;
        return logo ? checkLogoForSending(session_.programPath, app) : std::string();
    }

    for (const auto& f : kRecordFiles) {
        const std::uint32_t count = kindCount(app, *findKindByExtension(f.extension));
        if (f.condition == FileCondition::PbInfoCount && pbInfo == 0) continue;
        if (count == 0) continue;
        recordsOf(f.extension, count);
    }
    if (pbInfo != 0 && pbInfoFileOnSend(app)) recordsOf(".pbr", pbInfo);
    if (pbInfo != 0 && pbTrailer(app)) pxt();
    chk();
    needs.push_back(textFileNeed(session_.programPath));
    if (auto why = checkFilesForSending(needs); !why.empty()) return why;
    if (hasLogo(app))
        if (auto why = checkLogoForSending(session_.programPath, app); !why.empty()) return why;
    // The customer file goes only when the dealer says so, after all the
    // rest. When it cannot go, the question is asked now, before anything
    // (CLR above all) reaches the register: a yes known in advance (--yes)
    // then stops the operation while the register still holds its customers.
    if (hasCustomers(app) && !customersAnswer_) {
        const auto why = checkFilesForSending(
            {{session_.file(".cst"), std::uint64_t{kCustomerRecords} * kCustomerRecordSize}});
        if (!why.empty()) {
            if (host_.ask({kUploadCustomers, "Confirm", MessageKind::Information, Answers::YesNo})) return why;
            customersAnswer_ = false;
        }
    }
    return {};
}

RegisterOperations::Step RegisterOperations::memoryCheckAndClear(FileTransfer& xfer) {
    if (!xfer.requestRecords(kBlockIdentification)) {
        if (link_.linkError() != kLinkOk) return Step::Failed;
        linkFailed();
        return Step::Reported;
    }
    const char generation = static_cast<char>(xfer.identification()[7]);
    if (generation == 'a') {
        if (!host_.ask({kOldOs, "Confirm", MessageKind::Warning, Answers::YesNo})) return Step::Reported;
    } else if (generation == '1' || generation == '2') {
        const std::uint32_t available = generation == '1' ? kMemoryGeneration1 : kMemoryGeneration2;
        ApplicationBlock sized = session_.app;
        if (recomputeSizes(sized).bytes > available) {
            error(kNotEnoughMemory);
            return Step::Reported;
        }
    }
    // Any other generation has no known memory size; the register itself
    // is the judge then.

    auto& p = xfer.progress;
    p.setCaption(kClearing);
    p.clearLabels();
    host_.showProgress();

    static constexpr std::uint8_t kClr[] = {'C', 'L', 'R'};
    bool answered = false;
    if (link_.sendBlock(kClr)) {
        for (int i = 0; i < kClrAnswerReceives && !answered; ++i) {
            answered = link_.receiveBlock() != 0;
            host_.pump();
            if (link_.linkError() != kLinkOk) break;
        }
    }
    if (answered) return Step::Ok;
    if (link_.linkError() == kUserBreak) return Step::Failed;
    closePort();
    host_.closeProgress();
    linkFailed();
    return Step::Reported;
}

RegisterOperations::Step RegisterOperations::sendEverything(FileTransfer& xfer) {
    const ApplicationBlock& app = session_.app;
    for (auto k : kSystemOrder)
        if (auto s = fromTransfer(xfer, xfer.sendRecords(k)); s != Step::Ok) return s;

    const std::uint16_t pbInfo = pbInfoCount(app);
    for (const auto& f : kRecordFiles) {
        const KindBlock* kind = findKindByExtension(f.extension);
        const std::uint32_t count = kindCount(app, *kind);
        if (f.condition == FileCondition::PbInfoCount && pbInfo == 0) continue;
        if (f.condition == FileCondition::OwnCount && count == 0) continue;
        const int codeBytes = app.u8(kAppPluRandomSizeOffset);
        if (kind->base == 10000 && codeBytes != 0) {
            if (count == 0) continue;
            // The register numbers its PLUs by this order; every PLU number
            // the program stores follows it (program/plu_numbering).
            const auto numbering = PluNumbering::read(session_.file(".plu"), app);
            if (!numbering) {
                error(kErrorOpeningFile);
                return Step::Reported;
            }
            const std::vector<std::uint32_t> order(numbering->records().begin(), numbering->records().end());
            if (auto s = fromTransfer(xfer, xfer.transferFileKind(".plu", kind->base,
                                                                  TransferDirection::SendPluListOrder, count,
                                                                  count, order));
                s != Step::Ok)
                return s;
            continue;
        }
        if (auto s = fromTransfer(
                xfer, xfer.transferFileKind(f.extension, kind->base, TransferDirection::Send, count, count));
            s != Step::Ok)
            return s;
    }
    if (pbInfo != 0 && pbInfoFileOnSend(app))
        if (auto s = fromTransfer(xfer,
                                  xfer.transferFileKind(".pbr", 60000, TransferDirection::Send, pbInfo, pbInfo));
            s != Step::Ok)
            return s;
    if (pbInfo != 0 && pbTrailer(app))
        if (auto s = fromTransfer(
                xfer, xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Send, kPxtCount,
                                            kPxtCount));
            s != Step::Ok)
            return s;
    if (auto s = fromTransfer(xfer, xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
        s != Step::Ok)
        return s;
    if (hasLogo(app))
        if (auto s = fromTransfer(xfer, xfer.sendLogo()); s != Step::Ok) return s;
    if (hasCustomers(app) && customersAnswer_.value_or(true) &&
        host_.ask({kUploadCustomers, "Confirm", MessageKind::Information, Answers::YesNo})) {
        const auto why = checkFilesForSending(
            {{session_.file(".cst"), std::uint64_t{kCustomerRecords} * kCustomerRecordSize}});
        if (!why.empty()) {
            error(why);
            return Step::Reported;
        }
        if (auto s = fromTransfer(xfer, xfer.transferFileKind(".cst", kBlockCustomer, TransferDirection::Send,
                                                              kCustomerRecords, kCustomerRecords));
            s != Step::Ok)
            return s;
    }
    return Step::Ok;
}

// ---- Update ----------------------------------------------------------------

RegisterOperations::Step RegisterOperations::sendUpdate(FileTransfer& xfer) {
    const ApplicationBlock& app = session_.app;
    const auto updFile = session_.file(".upd");
    std::error_code ec;
    if (!fs::is_regular_file(updFile, ec)) {
        closePort();
        host_.closeProgress();
        host_.message(MessageKind::Warning, "Warning", kNoUpdateFile);
        return Step::Reported;
    }
    std::vector<std::string> lines;
    try {
        lines = readUpdateFileLines(updFile);
    } catch (const std::exception& e) {
        error(e.what());
        return Step::Reported;
    }
    const int codeBytes = app.u8(kAppPluRandomSizeOffset);
    UpdatePlan plan = planUpdate(lines, codeBytes != 0);
    dropStale(plan, app);

    const std::uint16_t pluCount = app.u16(2227);
    if (codeBytes != 0 && pluCount != 0) {
        const auto list = PluList::read(session_.file(".plu"), pluCount, codeBytes, PluListOrder::Code);
        if (!list) {
            error(kErrorOpeningFile);
            return Step::Reported;
        }
        if (!newPluEntriesFit(pluCount, plan.newPluCount, static_cast<long>(list->usedCount()))) {
            closePort();
            host_.closeProgress();
            host_.message(MessageKind::Information, "Information", kTooManyNewPlus);
            return Step::Reported;
        }
    }

    for (auto k : plan.systemBlocks) {
        bool ok = true;
        if (k == kBlockPbTrailer) {
            if (pbTrailer(app))
                ok = xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Send, kPxtCount,
                                           kPxtCount);
        } else if (k == kBlockChk) {
            ok = xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1);
        } else {
            ok = xfer.sendRecords(k);
        }
        if (auto s = fromTransfer(xfer, ok); s != Step::Ok) return s;
    }

    for (const auto& group : plan.recordGroups) {
        const auto path = session_.file(group.info->extension);
        auto& file = xfer.file();
        if (!file.openExisting(path)) {
            error(kErrorOpeningFile);
            return Step::Reported;
        }
        const auto n = static_cast<long>(group.codes.size());
        xfer.progress.setFile(path.string(), n);
        xfer.progress.setRange(static_cast<int>(n));
        for (long i = 0; i < n; ++i) {
            xfer.progress.step(i + 1, n, false);
            if (!xfer.sendRecords(group.codes[static_cast<std::size_t>(i)],
                                  group.codes[static_cast<std::size_t>(i)])) {
                file.close();
                return fromTransfer(xfer, false);
            }
        }
        file.close();
    }

    if (codeBytes != 0 && !plan.pluLines.empty()) return sendPluLines(xfer, plan.pluLines);
    return Step::Ok;
}

RegisterOperations::Step RegisterOperations::sendPluLines(FileTransfer& xfer, const std::vector<std::string>& lines) {
    const auto path = session_.file(".plu");
    auto& file = xfer.file();
    if (!file.openExisting(path)) {
        error(kErrorOpeningFile);
        return Step::Reported;
    }
    const long pluCount = session_.app.u16(2227);
    const auto n = static_cast<long>(lines.size());
    xfer.progress.setFile(path.string(), n);
    xfer.progress.setRange(static_cast<int>(n));

    bool seriesOpen = false;  // an insertion or deletion awaits command 105
    Step step = Step::Ok;
    for (long j = 0; j < n && step == Step::Ok; ++j) {
        const auto& line = lines[static_cast<std::size_t>(j)];
        const PluCommand cmd = pluCommandFor(line);
        std::array<std::uint8_t, kPluRecordSize> record{};
        if (cmd != PluCommand::Delete) {
            // A position outside the file would send a record of zeros over
            // a real PLU; it is as unusable as one that is not a number.
            const auto pos = pluLinePosition(line);
            if (!pos || *pos < 1 || *pos > pluCount) {
                error(kNotValidInteger);
                step = Step::Reported;
                break;
            }
            file.seek(static_cast<std::uint64_t>(*pos - 1) * kPluRecordSize);
            file.read(record);
        }
        xfer.progress.step(j + 1, n, false);
        const auto payload = buildPluCommand(cmd, line, record);
        if (!link_.sendBlock(payload)) {
            step = Step::Failed;
            break;
        }
        host_.pump();
        if (cmd == PluCommand::Replace) continue;
        seriesOpen = true;
        int answer = 0;
        for (int i = 0; i < kPluAnswerReceives && answer == 0; ++i) {
            answer = link_.receiveBlock();
            host_.pump();
            if (link_.linkError() != kLinkOk) break;
        }
        if (link_.linkError() != kLinkOk) {
            step = Step::Failed;
        } else if (answer == 0) {
            file.close();
            closePort();
            host_.closeProgress();
            linkFailed();
            return Step::Reported;
        }
    }
    file.close();
    if (seriesOpen && link_.linkError() == kLinkOk) {
        static constexpr std::uint8_t kEndSeries[] = {'U', 0, kCmdPluSeriesEnd};
        if (!link_.sendBlock(kEndSeries)) return Step::Failed;
    }
    return step;
}

// ---- the menu operations ---------------------------------------------------

bool RegisterOperations::sendToTargets(SendMode mode) {
    const TargetChoice t = target(true);
    if (!t.proceed) return false;
    loopLast_ = t.lastTerminal;
    loopSucceeded_ = true;
    beginRun(t);
    customersAnswer_.reset();
    bool ok;
    bool lastRan = false;
    if (t.terminalNumber == 0) {
        link_.terminalNumber = 0;
        headline_.clear();
        ok = registerSend(mode);
        lastRan = loopLast_ == 0;
    } else {
        ok = networkLoop(t, [this, mode] { return registerSend(mode); });
        lastRan = t.terminalNumber <= t.lastTerminal;
    }
    // The program as it was sent, update list included, whatever the outcome.
    const auto event = mode == SendMode::Update    ? history::Event::Update
                       : mode == SendMode::Install ? history::Event::Install
                                                   : history::Event::ClearInstall;
    recordVersion(session_.programPath, event, ok);
    // The list is offered for clearing only after the last register of the
    // run, and only when every register took the update: a register that
    // missed it still needs the list next time.
    if (mode == SendMode::Update && !session_.unattended && lastRan && ok && loopSucceeded_ &&
        host_.ask({kClearUpdateFile, "Confirm", MessageKind::Information, Answers::YesNo})) {
        try {
            session_.updateList().clear();
        } catch (const std::exception& e) {
            error(e.what());
        }
    }
    if (ok && mode == SendMode::ClearAndInstall) {
        // Only now does every register hold exactly this program; a refused
        // or broken install leaves the pending changes for the next try.
        if (const auto why = clearUpdateListAfterInstall(session_.file(".upd")); !why.empty())
            // The register holds the program, which is what the status
            // reports; the stale list only sends the same records again.
            host_.message(MessageKind::Warning, "Warning",
                          "The register holds the program; only the local update list could not be cleared: " +
                              why);
    }
    return ok;
}

std::string clearUpdateListAfterInstall(const fs::path& updFile) {
    std::error_code ec;
    if (fs::remove(updFile, ec) || !ec) return {};
    // A folder that may not be changed may still hold a list that may: an
    // empty list is as good as none.
    const auto removeError = ec.message();
    std::error_code tc;
    if (fs::is_regular_file(updFile, tc)) {
        fs::resize_file(updFile, 0, tc);
        if (!tc) return {};
    }
    return "\"" + updFile.string() + "\": " + removeError;
}

bool RegisterOperations::updateRegister() { return sendToTargets(SendMode::Update); }

bool RegisterOperations::installRegister() {
    if (!host_.ask({kAreYouSure, "Warning", MessageKind::Warning, Answers::OkCancel})) return false;
    return sendToTargets(SendMode::Install);
}

bool RegisterOperations::clearAndInstallRegister() {
    if (!host_.ask({kAreYouSure, "Warning", MessageKind::Warning, Answers::YesNo})) return false;
    return sendToTargets(SendMode::ClearAndInstall);
}

bool RegisterOperations::clearPluFile() {
    // It wipes the register's articles like Clear & Install wipes its memory,
    // so it asks the same question, No being the answer to a stray Enter.
    if (!host_.ask({kAreYouSure, "Warning", MessageKind::Warning, Answers::YesNo})) return false;
    if (!openPort()) return false;
    static constexpr std::uint8_t kClearPlu[] = {'U', 0, kCmdClearPluFile};
    // This one asks for its target even on an unattended run.
    const TargetChoice t = host_.chooseTarget(true);
    if (!t.proceed) {
        closePort();
        return false;
    }
    beginRun(t);
    lineUsed_ = true;  // opened before the target was asked for
    Progress progress;
    progress.onChange = [this](const ProgressState& s) { host_.progressChanged(s); };
    progress.setCaption(kClearingPluFile);
    bool userBreak = false;
    auto once = [&] {
        if (link_.linkError() == kUserBreak) userBreak = true;
        if (userBreak) return false;
        // Each register is tried on its own merits, not on the previous one's.
        link_.setLinkError(kLinkOk);
        progress.setHeadline(headline_);
        host_.showProgress();
        const bool ok = link_.sendBlock(kClearPlu);
        host_.pump();
        if (link_.linkError() == kUserBreak) userBreak = true;
        return ok;
    };
    bool ok;
    if (t.terminalNumber == 0) {
        link_.terminalNumber = 0;
        headline_.clear();
        ok = once();
    } else {
        ok = networkLoop(t, once);
    }
    closePort();
    host_.closeProgress();
    // Not examined by the register's own design; a dealer still has to know
    // that a register kept its PLUs.
    if (userBreak) host_.message(MessageKind::Information, "Information", kUserBreakText);
    else if (!ok) linkFailed();
    // The register changed; which program it was cleared under is worth knowing.
    if (userBreak) noting_.firstProblem = kUserBreakText;
    recordVersion(session_.programPath, history::Event::ClearPlu, ok);
    return ok;
}

}  // namespace tramond
