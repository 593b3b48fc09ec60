#include "ui/widgets/plain_text.h"

#include "core/settings/settings_problem.h"

#include <QMessageBox>

namespace ocuvell {

QString plainText(std::string_view bytes) {
    return QString::fromStdString(printableText(bytes));
}

std::unique_ptr<QMessageBox> plainWarningBox(QWidget* parent, const QString& title,
                                             const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, QString(),
                                             QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(plainText(text.toStdString()));
    return box;
}

} // namespace ocuvell
