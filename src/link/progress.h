#pragma once
// What the progress window shows during a transfer. The transfer updates the
// model; a consumer (the progress window, the command line, a test) observes
// it. The observer is called on the thread that runs the transfer.

#include <functional>
#include <string>

namespace tramond {

struct ProgressState {
    std::string caption;        // "Read...", "Send...", "Clearing Memory"
    std::string headline;       // "Register # 3" during network loops
    std::string fileName;       // full path; the view shortens it
    std::string numberOfRecords;
    std::string position;       // "Current Position (record):"
    int barMaximum = 0;
    int barPosition = 0;
    // What the user should know about the transfer beyond its progress
    // (a register that got default settings); kept until the next note.
    std::string note;
};

class Progress {
public:
    std::function<void(const ProgressState&)> onChange;

    const ProgressState& state() const { return state_; }
    int counter() const { return counter_; }

    void setCaption(std::string s) { state_.caption = std::move(s); notify(); }
    void setHeadline(std::string s) { state_.headline = std::move(s); notify(); }
    void setFile(std::string name, long total) {
        state_.fileName = std::move(name);
        state_.numberOfRecords = std::to_string(total);
        notify();
    }
    void setRange(int maximum) {
        state_.barMaximum = maximum;
        state_.barPosition = 0;
        notify();
    }
    void setNote(std::string s) { state_.note = std::move(s); notify(); }
    void resetCounter() { counter_ = 0; }
    void clearLabels() {
        state_.fileName.clear();
        state_.numberOfRecords.clear();
        state_.position.clear();
        notify();
    }

    // StepProgress: counting adds one to the running counter of system
    // blocks and shows it; otherwise the position is shown and the bar moves
    // by one total-th of its range.
    void step(long position, long total, bool counting) {
        if (counting) {
            ++counter_;
            advance(1);
            state_.position = std::to_string(counter_);
        } else {
            state_.position = std::to_string(position);
            if (total != 0) advance(static_cast<int>(state_.barMaximum / total));
        }
        notify();
    }

private:
    void advance(int by) {
        state_.barPosition += by;
        if (state_.barPosition > state_.barMaximum) state_.barPosition = state_.barMaximum;
    }
    void notify() {
        if (onChange) onChange(state_);
    }

    ProgressState state_;
    int counter_ = 0;
};

}  // namespace tramond
