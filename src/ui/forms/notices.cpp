#include "ui/forms/notices.h"

#include "ui/widgets/plain_text.h"

#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace ocuvell {
namespace {

// The title of the program's own warnings.
constexpr const char* kWarningTitle = "tips";

} // namespace

Notices::Notices(Show show) : show_(std::move(show)) {
    if (!show_)
        show_ = [this](const QString& title, const QString& text, bool wait) {
            QWidget* over = window_ && window_->isVisible() ? window_ : nullptr;
            // The text may hold a file's name or a file's content: never markup.
            QMessageBox* box = plainWarningBox(over, title, text).release();
            box->setAttribute(Qt::WA_DeleteOnClose);
            if (wait) {
                box->exec();
                return;
            }
            // Over the main window it keeps that window's input; the rest tip and the
            // rest screen, windows of their own, stay usable while it is open.
            box->setWindowModality(over ? Qt::WindowModal : Qt::NonModal);
            box->show();
        };
}

void Notices::tell(const QString& title, const QString& text) {
    if (sessionEnding_) {
        std::fprintf(stderr, "ocuvell: %s\n", text.toLocal8Bit().constData());
        return;
    }
    if (!ready_) {
        waiting_.emplace_back(title, text);
        return;
    }
    show(title, text, false);
}

void Notices::settingsProblem(const SettingsProblem& problem) {
    // The settings place has told stderr already.
    if (sessionEnding_)
        return;
    const bool write = problem.kind == SettingsProblem::Kind::Write;
    bool& told = write ? writeProblemTold_ : readProblemTold_;
    if (told)
        return;
    told = true;
    const QString text = QString::fromStdString(printableText(settingsProblemMessage(problem)));
    if (write && ready_)
        show(QString::fromLatin1(kWarningTitle), text, true);
    else
        tell(QString::fromLatin1(kWarningTitle), text);
}

void Notices::ready() {
    ready_ = true;
    QTimer::singleShot(0, this, [this] {
        for (auto& [title, text] : std::exchange(waiting_, {}))
            show(title, text, false);
    });
}

void Notices::show(const QString& title, const QString& text, bool wait) {
    show_(title, text, wait);
}

} // namespace ocuvell
