// The baseline of the command line's round trip: a bare QCoreApplication process that
// exits at once.
#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return 0;
}
