#include "shell/pagefactory.h"

#include "online/updatecheck.h"
#include "shell/aboutpage.h"
#include "shell/convertsheet.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvara {

namespace {

// Stands in for a page that is not part of this build yet.
QWidget* CreatePlaceholderPage(const QString& title, const QString& text)
{
    auto* page = new QWidget;
    page->setWindowTitle(title);
    page->setObjectName(QStringLiteral("placeholderPage"));
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(text, page);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
    page->setMinimumSize(340, 260);
    return page;
}

} // namespace

QWidget* CreateConversionPage(CConvertSheet& /*sheet*/)
{
    return CreatePlaceholderPage(QStringLiteral("Conversion"), QString());
}

QWidget* CreateAboutPage(CConvertSheet& /*sheet*/)
{
    return new CAboutPage;
}

void RunUpdateCheck(QWidget* parent)
{
    ::CheckForUpdates(parent);
}

} // namespace kelvara
