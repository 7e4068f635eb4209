#pragma once

#include <QColor>
#include <QLabel>

// A text link: drawn in the link colour (red while the pointer is over it), underlined, reachable
// with the tab key, and followed by a click or the space key. A link without an address passes
// the click on through Clicked(), so its owner can act on it like a button.
class CHyperLink : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CHyperLink)

public:
    explicit CHyperLink(QWidget* parent = nullptr);

    // Stores the address (empty: none) and refits; the tooltip shows `tooltip`, or the address when
    // no tooltip is given.
    void SetTarget(const QString& address, const QString& tooltip = {});
    // With `on`, the control takes the size of its text, no wider than `maxWidth` (0: no limit).
    void SetFitToText(bool on, int maxWidth = 0);
    // Opens the address; false (and nothing opened) when there is none. A failure to open beeps.
    bool Follow();

    // The address a click opens. Until SetTarget is called, a link without an address of its own
    // uses its caption, so a link placed in a form with just a caption works.
    QString Address() const;
    // The caption drawn: the text, or the address when there is no text.
    QString DisplayText() const;

    void SetLinkColour(const QColor& colour);
    void SetHoverColour(const QColor& colour);
    void SetUnderline(bool on);
    bool IsHovering() const { return m_hovering; }
    // The colour the text is drawn in now.
    QColor TextColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click or the space key on a link without an address.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Activate();
    void Fit();
    QFont LinkFont() const;
    QSize TextSize() const;

    QColor m_linkColour;
    QColor m_hoverColour{255, 0, 0};
    bool m_hovering = false;
    bool m_pressed = false;
    bool m_underline = true;
    bool m_fitToText = true;
    int m_maxWidth = 0;
    bool m_targetSet = false;
    QString m_address;
    // Space kept around the text for the focus rectangle.
    int m_focusBorderWidth = 1;
    int m_focusBorderHeight = 1;
};
