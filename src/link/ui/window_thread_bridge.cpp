#include "link/ui/window_thread_bridge.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace tramond {

// What the queued calls share with the bridge. A progress call still queued
// when the bridge is gone finds no window host and does nothing.
struct WindowThreadBridge::Shared {
    std::mutex m;
    RegisterOpsHost* window = nullptr;
    ProgressState latest;
    bool progressQueued = false;
    std::atomic<bool> cancelled{false};
    // The worker's call waiting for the window thread, and its end.
    const std::function<void()>* task = nullptr;
    bool taskDone = false;
    std::condition_variable taskEnded;
};

namespace {

bool isUserInput(QEvent::Type t) {
    switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// Holds back the main window's input while a transfer runs: a second
// operation, an editor or closing the window must not start under it.
class InputHold : public QObject {
public:
    explicit InputHold(QWidget* window) : window_(window) {
        if (window_) QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHold() override {
        if (window_) QCoreApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!window_ || !isUserInput(event->type())) return false;
        // A menu shortcut goes to its action, not to a widget.
        if (event->type() == QEvent::Shortcut && !watched->isWidgetType() &&
            QApplication::activeWindow() == window_.data()) {
            event->ignore();
            return true;
        }
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == window_.data()) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};

}  // namespace

class WindowThreadBridge::WorkerHost : public RegisterOpsHost {
public:
    explicit WorkerHost(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    void message(MessageKind kind, const std::string& title, const std::string& text) override {
        call([&](RegisterOpsHost& w) { w.message(kind, title, text); });
    }
    bool ask(const Question& question) override {
        bool answer = false;
        call([&](RegisterOpsHost& w) { answer = w.ask(question); });
        return answer;
    }
    TargetChoice chooseTarget(bool allowNetwork) override {
        TargetChoice t;
        call([&](RegisterOpsHost& w) { t = w.chooseTarget(allowNetwork); });
        return t;
    }
    std::optional<std::filesystem::path> chooseLoadTarget(const std::string& title) override {
        std::optional<std::filesystem::path> p;
        call([&](RegisterOpsHost& w) { p = w.chooseLoadTarget(title); });
        return p;
    }
    void showProgress() override {
        call([](RegisterOpsHost& w) { w.showProgress(); });
    }
    void closeProgress() override {
        call([](RegisterOpsHost& w) { w.closeProgress(); });
    }
    void programChanged() override {
        call([](RegisterOpsHost& w) { w.programChanged(); });
    }
    // Progress comes in thousands during a PLU file; the window takes only
    // the newest state whenever it gets round to it.
    void progressChanged(const ProgressState& state) override {
        std::lock_guard lock(shared_->m);
        shared_->latest = state;
        shared_->progressQueued = true;
    }
    // The window turns on its own thread; nothing to pump here.
    void pump() override {}
    void wait(std::chrono::milliseconds d) override {
        const auto end = std::chrono::steady_clock::now() + d;
        while (!shared_->cancelled.load() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

private:
    // Hands f to the window thread, which runs it between two turns of its
    // loop (WindowThreadBridge::run), and waits for it. The hand-over is a
    // standard mutex and condition variable, which race checkers follow
    // (they cannot see into Qt's event queue).
    template <class F>
    void call(F&& f) {
        const std::function<void()> task = [&] {
            RegisterOpsHost* w;
            {
                std::lock_guard lock(shared_->m);
                w = shared_->window;
            }
            if (w) f(*w);
        };
        std::unique_lock lock(shared_->m);
        shared_->task = &task;
        shared_->taskDone = false;
        shared_->taskEnded.wait(lock, [&] { return shared_->taskDone; });
    }
    std::shared_ptr<Shared> shared_;
};

WindowThreadBridge::WindowThreadBridge(RegisterOpsHost& windowHost, QWidget* window)
    : shared_(std::make_shared<Shared>()), worker_(std::make_unique<WorkerHost>(shared_)), window_(window) {
    shared_->window = &windowHost;
}

WindowThreadBridge::~WindowThreadBridge() {
    std::lock_guard lock(shared_->m);
    shared_->window = nullptr;
}

RegisterOpsHost& WindowThreadBridge::workerHost() { return *worker_; }

void WindowThreadBridge::cancel() { shared_->cancelled.store(true); }

void WindowThreadBridge::serveWorker() {
    const std::function<void()>* task;
    ProgressState latest;
    bool progress;
    RegisterOpsHost* w;
    {
        std::lock_guard lock(shared_->m);
        task = shared_->task;
        shared_->task = nullptr;  // taken: a nested loop of its dialog must not run it again
        progress = shared_->progressQueued;
        shared_->progressQueued = false;
        latest = shared_->latest;
        w = shared_->window;
    }
    if (progress && w) w->progressChanged(latest);
    if (!task) return;
    (*task)();
    std::lock_guard lock(shared_->m);
    shared_->taskDone = true;
    shared_->taskEnded.notify_all();
}

bool WindowThreadBridge::run(const std::function<bool()>& work) {
    InputHold hold(window_);
    QEventLoop loop;
    bool result = false;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        {
            // The serial port's socket notifiers need an event dispatcher in
            // this thread (else a warning, and none); an event loop object
            // makes one. It never runs: the transfer waits by blocking calls.
            QEventLoop dispatcher;
        }
        try {
            result = work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
    });
    // The window thread looks for the worker's calls, its progress and its
    // end itself, so nothing the worker does is a call into Qt.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        serveWorker();
        if (finished.load()) loop.quit();
    });
    poll.start(5);
    loop.exec();
    worker.join();
    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace tramond
