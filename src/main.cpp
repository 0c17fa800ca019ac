#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(argc > 1 ? QString("Program: %1").arg(argv[1]) : QString("No Program Loaded !"));
    window.setWindowTitle("Tramond");
    window.resize(480, 120);
    window.show();
    return app.exec();
}
