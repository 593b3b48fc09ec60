#pragma once
// ProgButton: the owner-drawn gradient control, a progress bar (Style 0) or a push
// button (any other Style). The geometry and state live in ProgCore (prog_core.h).
#include "core/controls/property_bag.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <memory>

namespace ocuvell {

class ProgCore;

class ProgButton : public QWidget {
    Q_OBJECT
  public:
    explicit ProgButton(QWidget* parent = nullptr);
    ~ProgButton() override;

    int Value() const;
    void setValue(int value); // clamped to Max, then to Min
    int Min() const;
    void setMin(int v);
    int Max() const;
    void setMax(int v);
    int Style() const;
    void setStyle(int v);
    int Color() const;
    void setColor(int v);
    QString Caption() const;
    void setCaption(const QString& caption);
    QPixmap Picture() const;
    void setPicture(const QPixmap& picture);
    QString accessKey() const;
    int fillWidth() const;  // of the last redraw
    QRect textRect() const; // where the last text went (right and bottom exclusive)
    const QImage& image() const { return image_; }

    // Stored entries "Value", "MyMin", "MyMax", "MyCaption", "MyType", "MyStyle". Loading
    // assigns them as they are (Value unclamped) and redraws once.
    void loadProperties(const PropertyBag& bag);
    void saveProperties(PropertyBag& bag) const;

    // Vertical two-colour gradient over left..right-1 x top..bottom-1 (colours 0xBBGGRR).
    static void DrawColor(QImage& image, int left, int top, int right, int bottom, quint32 start,
                          quint32 end);
    // Draws the text centred in the persistent image ("&" marks an access key).
    void DrawTextR(const QString& text);
    int GetFontWidth(const QString& text) const;
    int GetFontHeight(const QString& text) const;

  signals:
    void MouseDown(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void Click();
    void DblClick();

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    bool event(QEvent*) override;

  private:
    std::unique_ptr<ProgCore> core_;
    QPixmap picture_;
    QImage image_;       // the persistent image every paint shows
    int shortcutId_ = 0; // Alt + access key, grabbed in the window
    bool afterDoubleClick_ = false;
    void redraw();
    void updateShortcut();
};

} // namespace ocuvell
