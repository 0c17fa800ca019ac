#pragma once
// Register transfers run off the window's thread: the window keeps painting
// and its Cancel button is heard while the line waits for a register. What
// the operation needs from the window (questions, messages, the target and
// save dialogs, progress) is handed to the window's thread, which serves it
// between two turns of its loop.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "link/register_ops_host.h"

class QWidget;

namespace tramond {

class WindowThreadBridge {
public:
    // windowHost answers on the window's thread (the thread that constructs
    // the bridge and calls run). While run is busy, user input to `window`
    // (menus, tool bar, keys, closing) is held back; the operation's own
    // dialogs and the progress window stay usable.
    WindowThreadBridge(RegisterOpsHost& windowHost, QWidget* window);
    ~WindowThreadBridge();

    // The host the operation uses on the worker thread.
    RegisterOpsHost& workerHost();

    // Runs `work` on a worker thread; the window's event loop turns until it
    // ends. An exception of `work` is rethrown here.
    bool run(const std::function<bool()>& work);

    // Ends a wait of the worker host at once (the link has its own cancel).
    void cancel();

private:
    struct Shared;
    class WorkerHost;
    // On the window thread: runs the worker's waiting call, passes on its
    // newest progress.
    void serveWorker();
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<WorkerHost> worker_;
    QWidget* window_;
};

}  // namespace tramond
