// The yardsticks of the start-up benchmark: the smallest Qt Widgets program that shows a window,
// and with --label the same window showing one line of text (which loads the fonts every real
// window needs).
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(380, 340);
    if (argc > 1 && std::strcmp(argv[1], "--label") == 0)
        new QLabel(QStringLiteral("Kelvara"), &window);
    window.show();
    return application.exec();
}
