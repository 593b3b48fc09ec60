// The yardstick for start-up, memory and idle cost: a bare Qt 6 window with a slider
// and a label, reporting its first paint the way Ocuvell does.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

namespace {
class Window : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        if (!reported_) {
            reported_ = true;
            std::fprintf(stderr, "shown\n");
        }
    }

  private:
    bool reported_ = false;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window w;
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(new QSlider(Qt::Horizontal));
    layout->addWidget(new QLabel("bare"));
    w.resize(641, 315);
    w.show();
    return app.exec();
}
