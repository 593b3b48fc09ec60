// The rest page: the sentence with the two boxes in its blanks, OK and Back. Positions are
// in twips, as the layout was drawn.
#include "ui/forms/rest_page.h"

#include "ui/forms/form_parts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <vector>

namespace ocuvell {
namespace {

using namespace design;
using namespace parts;

// A sentence with blanks for other controls, wrapped at its spaces only: a break
// between the two characters of a word would tear it apart. Holds where every
// character landed, so the controls can be laid into the blanks.
struct Sentence {
    QString shown;          // the text with the line breaks put in
    std::vector<QPoint> at; // per character: x in pixels, line number
    int lineHeight = 0;

    Sentence(const QString& text, const QFont& font, int width) : at(text.size() + 1) {
        const QFontMetrics fm(font);
        lineHeight = fm.lineSpacing();
        QString line;
        int lineNo = 0;
        for (int i = 0; i < text.size();) {
            int j = i;
            while (j < text.size() && text[j] != QLatin1Char(' '))
                ++j;
            const QString word = text.mid(i, j - i);
            if (!line.trimmed().isEmpty() && fm.horizontalAdvance(line + word) > width) {
                shown += QLatin1Char('\n');
                line.clear();
                ++lineNo;
            }
            for (int k = i; k < j; ++k)
                at[k] = QPoint(fm.horizontalAdvance(line + text.mid(i, k - i)), lineNo);
            line += word;
            shown += word;
            for (; j < text.size() && text[j] == QLatin1Char(' '); ++j) {
                at[j] = QPoint(fm.horizontalAdvance(line), lineNo);
                line += QLatin1Char(' ');
                shown += QLatin1Char(' ');
            }
            at[j] = QPoint(fm.horizontalAdvance(line), lineNo);
            i = j;
        }
    }
    // Where the blank at [from, to) lies, relative to the label.
    QRect blank(int from, int to) const {
        const int x0 = at[from].x(), line = at[from].y();
        int x1 = at[to].x();
        if (at[to].y() != line) // the blank ends its line: as wide as it would be
            x1 = x0 + (at[from + 1].x() - x0) * (to - from);
        return QRect(x0, line * lineHeight, std::max(x1 - x0, 1), lineHeight);
    }
};

} // namespace

RestPage::RestPage(RestSchedule& schedule, bool started, QWidget* parent)
    : QWidget(parent), schedule_(schedule) {
    makePage(this);
    build();
    if (started) {
        Text2_->setText(QString::fromStdString(schedule_.intervalEntry()));
        Text3_->setText(QString::fromStdString(schedule_.restLengthEntry()));
    }
    connect(setok_, &ClickImage::clicked, this, [this] { schedule_.confirmSettings(); });
    connect(setno_, &ClickImage::clicked, this, [this] { schedule_.dismissSettings(); });
    // What is typed is the schedule's entry at once; Enter in a box confirms it as OK does.
    connect(Text2_, &QLineEdit::textChanged, this,
            [this](const QString& text) { schedule_.enterInterval(text.toStdString()); });
    connect(Text3_, &QLineEdit::textChanged, this,
            [this](const QString& text) { schedule_.enterRestLength(text.toStdString()); });
    for (QLineEdit* box : {Text2_, Text3_})
        connect(box, &QLineEdit::returnPressed, this, [this] { schedule_.confirmSettings(); });
}

void RestPage::build() {
    setno_ = image(this, ":/ocuvell/back.png");
    place(setno_, 3120, 1740, 735, 495);
    setno_->setToolTip(QStringLiteral("Back"));
    setok_ = image(this, ":/ocuvell/ok.png");
    place(setok_, 4200, 1740, 735, 495);
    setok_->setToolTip(QStringLiteral("OK"));

    sentence_ = label(this, QString(), 12, false);
    place(sentence_, 435, 600, 8000, 450);
    const Sentence sentence(QStringLiteral("每隔         分钟 去休息         分钟"),
                            sentence_->font(), sentence_->width());
    sentence_->setText(sentence.shown);
    // Text2 and Text3 sit in the two blanks of the sentence.
    const int blanks[2][2] = {{2, 11}, {17, 26}};
    QLineEdit** boxes[2] = {&Text2_, &Text3_};
    for (int i = 0; i < 2; ++i) {
        *boxes[i] = box(this, QStringLiteral("1"));
        (*boxes[i])->setFont(designFont(10.5));
        (*boxes[i])->setAlignment(Qt::AlignCenter);
        const QRect r = sentence.blank(blanks[i][0], blanks[i][1])
                            .translated(sentence_->pos())
                            .adjusted(3, 0, -3, 0);
        const int h = 24;
        (*boxes[i])->setGeometry(r.x(), r.center().y() - h / 2, r.width(), h);
    }
}

void RestPage::showIntervalEntry(const std::string& text) {
    Text2_->setText(QString::fromStdString(text));
}

void RestPage::showRestLengthEntry(const std::string& text) {
    Text3_->setText(QString::fromStdString(text));
}

} // namespace ocuvell
