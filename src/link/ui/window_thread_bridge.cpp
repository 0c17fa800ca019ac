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
};

namespace {

// Runs f on the application's (the window's) thread and waits for it. The
// wait is a standard condition variable rather than a blocking queued
// connection: the hand-over is then one that race checkers can follow, and
// the queued call object is destroyed on the window thread that ran it.
template <class F>
void onWindowThread(F&& f) {
    struct Done {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&f, done] {
            f();
            std::lock_guard lock(done->m);
            done->done = true;
            done->cv.notify_one();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(done->m);
    done->cv.wait(lock, [&] { return done->done; });
}

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
        if (shared_->progressQueued) return;
        shared_->progressQueued = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [s = shared_] {
                ProgressState latest;
                RegisterOpsHost* w;
                {
                    std::lock_guard lock(s->m);
                    s->progressQueued = false;
                    latest = s->latest;
                    w = s->window;
                }
                if (w) w->progressChanged(latest);
            },
            Qt::QueuedConnection);
    }
    // The window turns on its own thread; nothing to pump here.
    void pump() override {}
    void wait(std::chrono::milliseconds d) override {
        const auto end = std::chrono::steady_clock::now() + d;
        while (!shared_->cancelled.load() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

private:
    template <class F>
    void call(F&& f) {
        onWindowThread([&] {
            RegisterOpsHost* w;
            {
                std::lock_guard lock(shared_->m);
                w = shared_->window;
            }
            if (w) f(*w);
        });
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

bool WindowThreadBridge::run(const std::function<bool()>& work) {
    InputHold hold(window_);
    QEventLoop loop;
    bool result = false;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        try {
            result = work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
    });
    // The window thread looks for the end itself, so the worker's last act is
    // a plain store that race checkers can follow, not a call into Qt.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished.load()) loop.quit();
    });
    poll.start(5);
    loop.exec();
    worker.join();
    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace tramond
