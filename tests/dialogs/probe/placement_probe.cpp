// Shows a main window and one dialog on the display it is given (a real X
// server with a window manager) and prints where the window manager put
// both frames: "main L T dialog L T margins M". Exit status 0 when the
// dialog's frame stands 45 px below the top of the main window's frame,
// left-aligned with it; 1 otherwise; 2 when nothing got framed.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>
#include <cstdio>

#include "app/ui/dialog_conventions.h"

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Tramond");
    window.resize(600, 300);
    window.move(120, 80);
    window.show();
    settle(800);
    tramond::DialogConventions conventions(&window);
    QDialog dialog(&window);
    dialog.setWindowTitle("Communication Settings");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Port # :", &dialog));
    dialog.show();
    settle(tramond::kFramingMilliseconds + 500);
    const QRect main = window.frameGeometry();
    const QRect frame = dialog.frameGeometry();
    const int margin = frame.top() == dialog.geometry().top() ? 0 : dialog.geometry().top() - frame.top();
    std::printf("main %d %d dialog %d %d margins %d\n", main.left(), main.top(), frame.left(), frame.top(), margin);
    if (margin == 0 || main == window.geometry()) return 2;
    return frame.topLeft() == QPoint(main.left(), main.top() + tramond::kDialogDropPixels) ? 0 : 1;
}
