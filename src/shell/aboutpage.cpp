#include "shell/aboutpage.h"

#include "page/hyperlink.h"
#include "platform/moduleversion.h"
#include "platform/serviceaddress.h"
#include "platform/versionrecord.h"
#include "text/strings.h"
#include "ui_aboutpage.h"

#include "kelvara/version.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// The caption of a link: its address without the scheme and trailing slashes, which say nothing
// to the reader.
QString Caption(const QString& address)
{
    QString caption = address;
    for (const QLatin1String scheme : {QLatin1String("https://"), QLatin1String("http://")})
        if (caption.startsWith(scheme, Qt::CaseInsensitive)) {
            caption.remove(0, scheme.size());
            break;
        }
    while (caption.endsWith(QLatin1Char('/')))
        caption.chop(1);
    return caption;
}

void ShowLink(CHyperLink& link, const QString& address, const QString& tooltip = {})
{
    link.setText(Caption(address));
    link.SetTarget(address, tooltip);
}

} // namespace

CAboutPage::CAboutPage(QWidget* parent, Content content) : QWidget(parent)
{
    // The tab's caption before the controls exist (the same as the form's).
    setWindowTitle(FromUtf8(kelvara::LoadString(kelvara::IDS_ABOUT_PAGE)));
    if (content == Content::Now)
        EnsureContent();
}

CAboutPage::CAboutPage(QWidget* parent, const CModuleVersion* version) : QWidget(parent)
{
    Build(version);
}

void CAboutPage::EnsureContent()
{
    if (m_ui)
        return;
    CModuleVersion version;
    Build(version.LoadFromModule() ? &version : nullptr);
}

void CAboutPage::setVisible(bool visible)
{
    // Before the page shows, so that the controls show with it in the same paint.
    if (visible)
        EnsureContent();
    QWidget::setVisible(visible);
}

void CAboutPage::Build(const CModuleVersion* version)
{
    m_ui = std::make_unique<Ui::CAboutPage>();
    m_ui->setupUi(this);
    // The name in a font 170 % of the page's. A group box hands its font to everything inside it,
    // so the controls inside set the page's size again (and only the size: the rest still follows
    // the page).
    const QFont pageFont = font();
    QFont large = pageFont;
    QFont normalSize;
    if (pageFont.pointSize() > 0) {
        large.setPointSize(pageFont.pointSize() * 170 / 100);
        normalSize.setPointSize(pageFont.pointSize());
    } else {
        large.setPixelSize(pageFont.pixelSize() * 170 / 100);
        normalSize.setPixelSize(pageFont.pixelSize());
    }
    m_ui->groupName->setTitle(FromUtf8(kelvara::LoadString(kelvara::IDS_APP_TITLE)));
    m_ui->groupName->setFont(large);
    for (QWidget* child : m_ui->groupName->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setFont(normalSize);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral(KELVARA_DESKTOP_ID));
    const int extent = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    m_ui->labelIcon->setPixmap(icon.pixmap(QSize(extent, extent), devicePixelRatioF()));

    ShowLink(*m_ui->linkHome, FromUtf8(kelvara::HomePageAddress()),
             FromUtf8(kelvara::LoadString(kelvara::IDS_HOME_PAGE_TIP)));
    ShowLink(*m_ui->linkService, FromUtf8(kelvara::RateServicePageAddress()));

    if (version)
        ShowVersion(*version);
}

CAboutPage::~CAboutPage() = default;

CHyperLink& CAboutPage::HomeLink()
{
    EnsureContent();
    return *m_ui->linkHome;
}

CHyperLink& CAboutPage::ServiceLink()
{
    EnsureContent();
    return *m_ui->linkService;
}

void CAboutPage::ShowVersion(const CModuleVersion& version)
{
    m_ui->labelVersion->setText(FromUtf8(kelvara::FormatVersionLine(version)));
    m_ui->labelLegal->setText(FromUtf8(version.GetStringValue("LegalCopyright")));
}
