#pragma once

#include <QString>

class QLabel;

namespace kelvara {

// Stands in for CHyperLink on the About page until that control lands: gives a plain QLabel the
// two calls the page makes on a link. The label shows a rich-text link; activating it (click, or
// Enter once Tab has reached it) opens the address.
// To swap: make the two link labels in aboutpage.ui CHyperLink (promoted, header
// "shell/hyperlink.h"), call SetTarget on them directly in CAboutPage, and delete this file pair.
class LabelLink {
public:
    explicit LabelLink(QLabel* label);

    // Shows `address` (without its scheme) as the link; the tooltip is `tooltip`, or the address
    // when none is given.
    void SetTarget(const QString& address, const QString& tooltip = {});
    // Opens the address; false when there is none.
    bool Follow() const;

    const QString& Address() const { return m_address; }

private:
    QLabel* m_label; // owned by the page
    QString m_address;
};

// Opens a web address with the desktop's URL handler; beeps when that fails. Returns whether it
// was handed over.
bool OpenWebAddress(const QString& address);

} // namespace kelvara
