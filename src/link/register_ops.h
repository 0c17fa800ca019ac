#pragma once
// The register operations of the File menu and of the unattended command
// line: Load from Register, Update Register, Install Register, Clear &
// Install Register and Clear PLU File, with their network loops. Each one
// opens the port, runs, reports through the host and closes the port.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/program_history.h"
#include "link/block_protocol.h"
#include "link/link_settings.h"
#include "link/register_ops_host.h"
#include "link/serial_port.h"
#include "link/transfer.h"
#include "program/session.h"

namespace tramond {

// The operation's own messages, exactly as the register dealer knows them.
namespace opsmsg {
inline constexpr const char* kCheckRs232 = "Check RS232 Connection !!";
inline constexpr const char* kUserBreakText = "USER BREAK!";
inline constexpr const char* kNoProgram = "No Program Loaded !";
inline constexpr const char* kWrongApplication = "Wrong Application, use CLEAR & INSTALL";
inline constexpr const char* kAreYouSure = "Are You Sure ?";
inline constexpr const char* kOverwrite = "File Exists Overwrite ? ";
inline constexpr const char* kClearUpdateFile = "Clear update file ?";
inline constexpr const char* kNoUpdateFile = "Update file does not exist";
inline constexpr const char* kTooManyNewPlus = "Number of new plu entries is too big, please use INSTALL";
inline constexpr const char* kNotValidInteger = "Value in upd file is not valid integer!";
inline constexpr const char* kOldOs =
    "You are using an old version of Marlet OS,                 \r\n"
    "please check if appl. memory requirement exceeds\r\n"
    " available memory in cash register! \r\n"
    "Do you want to continue with installation?";
inline constexpr const char* kNotEnoughMemory =
    "Application needs more memory than available.\r\nCannot procede with installation!";
inline constexpr const char* kUploadCustomers = "Do you want to upload Customer file?";
inline constexpr const char* kErrorOpeningFile = "Error opening File !!";
inline constexpr const char* kLoadTitle = "Load from Register";
inline constexpr const char* kRead = "Read...";
// The progress window's title while the PLU file is cleared.
inline constexpr const char* kClearingPluFile = "Clearing PLU File";
inline constexpr const char* kSend = "Send...";
inline constexpr const char* kClearing = "Clearing Memory";
}  // namespace opsmsg

// Application memory of the register generations named by byte 7 of the
// identification block.
inline constexpr std::uint32_t kMemoryGeneration1 = 0x60000;   // '1': 393216 bytes
inline constexpr std::uint32_t kMemoryGeneration2 = 0x260000;  // '2': 2490368 bytes
inline constexpr int kClrAnswerReceives = 60;
inline constexpr int kPluAnswerReceives = 75;
inline constexpr int kSystemBlockSteps = 76;
inline constexpr std::size_t kMachineByteOffset = 61;

enum class SendMode : int { ClearAndInstall = 0, Install = 1, Update = 2 };

struct RegisterOpsConfig {
    LinkSettings link;
    // Port time-out; 0 takes the rule (1000 ms, 2000 ms unattended).
    int timeoutMs = 0;
    // The pause before the identification is asked for again.
    std::chrono::milliseconds identificationRetryDelay{3000};
    // Loads and transfers leave a version in the program's history (the
    // window and the command line's transfer modes; not Verify Register).
    bool recordHistory = false;
};

class RegisterOperations {
public:
    RegisterOperations(ProgramSession& session, SerialPort& port, RegisterOpsHost& host,
                       RegisterOpsConfig config);

    // Each returns true only when the operation ran to its end without a
    // failure, a refusal or the user stopping it.
    bool loadFromRegister();         // mFileLoadRegisterClick, mode "read"
    bool updateRegister();           // mFileUpdateRegisterClick, mode "update"
    bool installRegister();          // mInstallRegisterClick, mode "instal"
    bool clearAndInstallRegister();  // mFileInstallRegisterClick, mode "clinst"
    bool clearPluFile();             // mClearPluFileinRegisterClick

    // RegisterSend(mode) against link().terminalNumber, without questions
    // or target dialog.
    bool registerSend(SendMode mode);

    // With the unattended flag the target dialog is not shown; the command
    // line presets the target instead.
    void presetTarget(TargetChoice target) { preset_ = target; }

    // The progress window's Cancel.
    void cancel() { link_.cancel(); }
    RegisterLink& link() { return link_; }
    int linkError() const { return link_.linkError(); }
    // The version the last operation recorded, with a warning when it could
    // not; nothing when it recorded none.
    const std::optional<history::RecordOutcome>& historyOutcome() const { return history_; }

private:
    enum class Step { Ok, Failed, Reported };

    // Passes everything on to the real host and keeps the first problem
    // shown, for the result a version records.
    class NotingHost : public RegisterOpsHost {
    public:
        explicit NotingHost(RegisterOpsHost& host) : host_(host) {}
        void message(MessageKind kind, const std::string& title, const std::string& text) override;
        bool ask(const Question& q) override { return host_.ask(q); }
        TargetChoice chooseTarget(bool allowNetwork) override { return host_.chooseTarget(allowNetwork); }
        std::optional<std::filesystem::path> chooseLoadTarget(const std::string& title) override {
            return host_.chooseLoadTarget(title);
        }
        void showProgress() override { host_.showProgress(); }
        void progressChanged(const ProgressState& s) override { host_.progressChanged(s); }
        void closeProgress() override { host_.closeProgress(); }
        void pump() override { host_.pump(); }
        void wait(std::chrono::milliseconds d) override { host_.wait(d); }
        void programChanged() override { host_.programChanged(); }
        std::string firstProblem;
        bool quiet = false;  // the history's own warnings are no transfer problem

    private:
        RegisterOpsHost& host_;
    };

    // A version of the program at appPath (a no-op unless configured).
    void recordVersion(const std::filesystem::path& appPath, history::Event event, bool ok);
    void keepBeforeReplacing(const std::filesystem::path& appPath);
    void noteHistory(const history::RecordOutcome& outcome, bool main);
    // A new operation's history bookkeeping.
    void beginRun(const TargetChoice& t);

    TargetChoice target(bool allowNetwork);
    bool openPort();
    void closePort();
    void attach(FileTransfer& xfer);
    Step fromTransfer(const FileTransfer& xfer, bool ok);
    void reportLinkError(MessageKind userBreakKind);
    bool networkLoop(const TargetChoice& t, const std::function<bool()>& perRegister);
    // The target dialog, then one register or the network loop.
    bool sendToTargets(SendMode mode);
    void applyMachineSettings();

    Step receiveProgram(FileTransfer& xfer, ApplicationBlock& app);
    Step memoryCheckAndClear(FileTransfer& xfer);
    Step sendEverything(FileTransfer& xfer);
    Step sendUpdate(FileTransfer& xfer);
    Step sendPluLines(FileTransfer& xfer, const std::vector<std::string>& lines);
    bool requestIdentification(FileTransfer& xfer);
    // Why the files the operation would send cannot all be sent ("" when
    // they can); asked before the port is opened.
    std::string checkBeforeSending(SendMode mode);
    void error(const std::string& text);
    // "Check RS232 Connection !!", with the port's account where it has one.
    void linkFailed();

    ProgramSession& session_;
    NotingHost noting_;
    RegisterOpsHost& host_;
    RegisterOpsConfig config_;
    RegisterLink link_;
    TargetChoice preset_;
    std::string headline_;
    // Update loops: the update list may only be cleared when every register
    // of the loop took the update.
    bool loopSucceeded_ = true;
    std::uint8_t loopLast_ = 0;
    bool lineUsed_ = false;  // the port opened: the register may have changed
    std::vector<int> failedRegisters_;
    std::string registers_;  // what the run addressed: "0", "3", "1-4"
    std::optional<history::RecordOutcome> history_;
    // The customer question, when it had to be asked before anything was
    // sent (the file could not go); asked again per register otherwise.
    std::optional<bool> customersAnswer_;
};

// After Clear & Install: deletes the update list, or empties it where the
// folder may not be changed. "" when done, else what stood in the way.
std::string clearUpdateListAfterInstall(const std::filesystem::path& updFile);

}  // namespace tramond
