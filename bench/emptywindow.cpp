// The yardsticks of the start-up benchmark: the smallest Qt Widgets program that shows a window,
// and with --label the same window showing one line of text (which loads the fonts every real
// window needs). With --hidden SOCKET the labelled window is built but stays hidden until a
// client connects to SOCKET and sends a line; it then shows and answers four bytes, as a program
// in the tray shows itself when a second copy asks. Closing it hides it again.
#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <QWidget>

#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int Listen(const char* path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof(address.sun_path) - 1);
    ::unlink(path);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 4) != 0)
        return -1;
    return fd;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(380, 340);
    const bool hidden = argc > 2 && std::strcmp(argv[1], "--hidden") == 0;
    if (hidden || (argc > 1 && std::strcmp(argv[1], "--label") == 0))
        new QLabel(QStringLiteral("Kelvara"), &window);
    if (!hidden) {
        window.show();
        return application.exec();
    }

    QApplication::setQuitOnLastWindowClosed(false);
    const int server = Listen(argv[2]);
    if (server < 0)
        return 1;
    QSocketNotifier notifier(server, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [server, &window] {
        const int client = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        char question[64];
        [[maybe_unused]] const ssize_t n = ::read(client, question, sizeof(question));
        window.show();
        const char answer[4] = {'X', 'R', 'V', 'T'};
        [[maybe_unused]] const ssize_t written = ::write(client, answer, sizeof(answer));
        ::close(client);
    });
    const int result = application.exec();
    ::unlink(argv[2]);
    return result;
}
