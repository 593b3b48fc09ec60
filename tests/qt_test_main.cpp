// Widget tests share one QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler g_qtDefault = nullptr;

// The offscreen platform has no stacking order and says so at every raise(); the windows
// raise themselves when asked to come forward, as they must on a real desktop.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support raise()"))
        return;
    g_qtDefault(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtDefault = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
