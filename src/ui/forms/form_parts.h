#pragma once
// The small parts the main window's pages are made of, in the design's colours and font.
#include "ui/assets/artwork.h"
#include "ui/widgets/click_image.h"
#include "ui/widgets/design.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace ocuvell::parts {

inline void fill(QWidget* w, unsigned colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, design::bgr(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

inline ClickImage* image(QWidget* parent, const char* resource, bool stretch = false) {
    auto* i = new ClickImage(parent);
    if (resource)
        i->setPixmap(artPixmap(QString::fromLatin1(resource)));
    i->setScaledContents(stretch);
    return i;
}

inline QFrame* filledShape(QWidget* parent, unsigned colour) {
    auto* f = new QFrame(parent);
    fill(f, colour);
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    return f;
}

// A page of the settings overlay, hidden until its edit icon opens it.
inline void makePage(QWidget* p) {
    fill(p, 0xFBF8F3);
    design::place(p, 120, 120, 8565, 2415);
    p->hide();
}

inline QLineEdit* box(QWidget* parent, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setFont(design::designFont(9));
    return e;
}

inline QPushButton* button(QWidget* parent, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setFont(design::designFont(9));
    return b;
}

} // namespace ocuvell::parts
