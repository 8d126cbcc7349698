// Program entry (filled in by the start-up sequence).
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle("Kynovia Version 1.3");
    w.show();
    return app.exec();
}
