// CTEditGdiplus: a single-line edit box with a rounded anti-aliased border in state
// colours, a hint while empty, an optional password mask, eye icon and clear mark.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPixmap>
#include <QRect>
#include <QString>

class QLabel;

namespace plindar {

class CTEditGdiplus : public QLineEdit {
    Q_OBJECT

public:
    explicit CTEditGdiplus(QWidget* parent = nullptr);

    // Shown in `colour` whenever the box is empty and does not have the focus; always
    // readable, even in password mode.
    void SetHintText(const QString& text, const QColor& colour = QColor(192, 192, 192));
    QString HintText() const { return hint_; }
    // True while the hint is what the operator sees.
    bool IsHintShowing() const;

    // Masks typed text with '*'.
    void SetPasswordMode(bool password);
    bool PasswordMode() const { return password_; }
    // True while real text is shown as '*'.
    bool IsMasked() const;

    // Two images at the right edge: `masked` while the text is hidden, `plain` while
    // it shows; clicking toggles. Nothing shows when neither loads.
    void SetEyeImages(const QString& masked, const QString& plain);
    // An "x" at the right edge while the box holds text; clicking it empties the box.
    void SetClearMark(bool enabled);

    // After every text change EditChanged(value) is emitted; none before this call.
    void SetChangeNotification(int value);

    void SetBorderColours(const QColor& normal, const QColor& hover, const QColor& focused,
                          const QColor& disabled);
    void SetTextColour(const QColor& colour);
    void SetBackgroundColour(const QColor& colour);
    // Face, size in points, weight (0 = normal).
    void SetTextFont(const QString& face, qreal points, int weight = 0);

    QColor BorderColour() const;
    QRect EyeRect() const;
    QRect ClearRect() const;

signals:
    void EditChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnTextChanged();
    void UpdateEchoMode();
    void UpdateHint();
    void UpdateMargins();
    bool HasEye() const;
    bool ShowsClearMark() const;

    QString hint_;
    QColor hint_colour_{192, 192, 192};
    bool password_ = false;
    bool revealed_ = false;  // the eye icon switched the mask off
    QPixmap eye_masked_;
    QPixmap eye_plain_;
    bool clear_mark_ = false;
    bool notify_ = false;
    int notify_value_ = 0;
    QColor border_normal_{102, 102, 153};
    QColor border_hover_{0, 176, 88};
    QColor border_focused_{255, 163, 132};
    QColor border_disabled_{96, 96, 96};
    QColor text_colour_ = Qt::black;
    QColor background_ = Qt::white;
    bool hovering_ = false;
};

// The common restyling of the anti-theft page and the save-template dialog: black on
// white, "Microsoft YaHei" 9.6 points, border 213,213,220, hover and focus 216,34,40,
// disabled black.
void ApplyEditStyle(CTEditGdiplus* edit);

// Names `edit` for accessibility after `label`, and keeps following the label's text
// when it is translated later (the label becomes the edit's buddy).
void NameAfterLabel(QWidget* edit, QLabel* label);

}  // namespace plindar
