#include "shell/convertsheet.h"

#include "page/conversionpage.h"
#include "platform/profilestore.h"
#include "platform/settingskeys.h"
#include "shell/appicon.h"
#include "shell/instancechannel.h"
#include "shell/optionspage.h"
#include "shell/pagefactory.h"
#include "shell/timezonewatcher.h"
#include "shell/trayicon.h"
#include "text/strings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

QString Text(unsigned id)
{
    return QString::fromStdString(kelvara::LoadString(id));
}

// Tabs of equal width, the widest one's.
class EqualTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        for (int i = 0; i < count(); ++i)
            size.setWidth(std::max(size.width(), QTabBar::tabSizeHint(i).width()));
        return size;
    }
};

class SheetTabs : public QTabWidget {
public:
    explicit SheetTabs(QWidget* parent) : QTabWidget(parent) { setTabBar(new EqualTabBar(this)); }
};

constexpr int kTrayRetry = 3000;

// Between looks for a tray that is not there yet; the kTrayRetryMs option sets another interval
// (tests shorten it). Anything outside 10 ms to a minute keeps the usual one.
int TrayRetryInterval()
{
    const int ms =
        kelvara::Profile().GetProfileInt(kelvara::kOptionsSection, kelvara::kTrayRetryMs, kTrayRetry);
    return ms >= 10 && ms <= 60000 ? ms : kTrayRetry;
}

int DoubleClickInterval()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

bool IsMouseClick(const QEvent* event)
{
    return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
           event->type() == QEvent::MouseButtonDblClick;
}

} // namespace

CConvertSheet::CConvertSheet(std::unique_ptr<kelvara::TrayHost> trayHost, QWidget* parent)
    : QDialog(parent), m_tabs(new SheetTabs(this)),
      m_optionsPage(new COptionsPage(this, COptionsPage::Controls::OnFirstShow)),
      m_buttons(new QDialogButtonBox(this)),
      m_trayIcon(std::make_unique<CTrayIcon>(kTrayIconId, std::move(trayHost))), m_trayMenu(new QMenu(this)),
      m_trayRetry(new QTimer(this)), m_menuDelay(new QTimer(this)), m_timeZoneWatcher(nullptr),
      m_updateCheck(&kelvara::RunUpdateCheck), m_ratesUpdate(&kelvara::RunRatesUpdate)
{
    setWindowTitle(Text(kelvara::IDS_APP_TITLE));
    // A main window, not a transient dialog: its own taskbar entry and a minimise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // The sheet's own buttons, without the pictures a desktop theme may put on standard buttons:
    // looking those up costs more at start-up than the rest of the window. Apply keeps its meaning
    // in a sheet whose pages apply every change at once: never enabled.
    m_okButton = m_buttons->addButton(Text(kelvara::IDS_BUTTON_OK), QDialogButtonBox::AcceptRole);
    m_okButton->setDefault(true);
    m_cancelButton = m_buttons->addButton(Text(kelvara::IDS_BUTTON_CANCEL), QDialogButtonBox::RejectRole);
    m_applyButton = m_buttons->addButton(Text(kelvara::IDS_BUTTON_APPLY), QDialogButtonBox::ApplyRole);
    m_applyButton->setEnabled(false);
    // A button that had the focus must not take Enter over from the page's own default (Copy):
    // Enter on a focused button presses that button (eventFilter), nothing else moves the default.
    for (QPushButton* button : {m_okButton, m_cancelButton, m_applyButton})
        button->setAutoDefault(false);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CConvertSheet::OnOK);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CConvertSheet::reject);

    // The options page and the buttons exist first: the other pages may read the options and
    // ask for the Close button while they are built.
    QWidget* conversion = kelvara::CreateConversionPage(*this);
    QWidget* about = kelvara::CreateAboutPage(*this);
    m_tabs->addTab(conversion, conversion->windowTitle());
    m_tabs->addTab(m_optionsPage, m_optionsPage->windowTitle());
    m_tabs->addTab(about, about->windowTitle());
    m_tabs->setCurrentIndex(ConversionPage);
    ArrangeTabOrder();

    // A page's own default button (the conversion page's Copy) is the window's default while the
    // page shows, OK on the others; a button that had the focus gives the default back to it.
    QHash<QWidget*, QPushButton*> pageDefaults;
    for (int i = 0; i < m_tabs->count(); ++i) {
        for (QPushButton* button : m_tabs->widget(i)->findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                pageDefaults.insert(m_tabs->widget(i), button);
                break;
            }
        }
    }
    const auto updateDefault = [this, pageDefaults] {
        QPushButton* button = pageDefaults.value(m_tabs->currentWidget(), m_okButton);
        button->setDefault(false); // only a change makes it the window's default
        button->setDefault(true);
    };
    connect(m_tabs, &QTabWidget::currentChanged, this, updateDefault);
    // A page that builds its controls when it first shows has just added them.
    connect(m_tabs, &QTabWidget::currentChanged, this, &CConvertSheet::ArrangeTabOrder);
    updateDefault();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_optionsPage, &COptionsPage::AlwaysOnTopChanged, this, &CConvertSheet::SetTopMost);
    connect(m_optionsPage, &COptionsPage::UseRegionalSettingsChanged, this,
            &CConvertSheet::UseRegionalSettingsChanged);
    connect(m_optionsPage, &COptionsPage::SignificantDigitsChanged, this,
            &CConvertSheet::SignificantDigitsChanged);
    connect(m_optionsPage, &COptionsPage::CheckForUpdatesRequested, this,
            [this] { OnCommand(ID_HELP_CHECKUPDATES); });

    connect(m_trayIcon.get(), &CTrayIcon::Notify, this, &CConvertSheet::OnTrayNotify);
    connect(m_trayIcon.get(), &CTrayIcon::Lost, this, &CConvertSheet::OnTrayLost);
    connect(m_trayIcon.get(), &CTrayIcon::Appeared, this, [this] {
        if (m_trayRetry->isActive())
            RetryTray();
    });
    BuildTrayMenu();
    m_trayIcon->SetMenu(m_trayMenu);

    m_trayRetry->setObjectName(QStringLiteral("trayLookup"));
    m_trayRetry->setInterval(TrayRetryInterval());
    connect(m_trayRetry, &QTimer::timeout, this, &CConvertSheet::RetryTray);
    // A click opens the menu only once it cannot be the first of a double click.
    m_menuDelay->setSingleShot(true);
    connect(m_menuDelay, &QTimer::timeout, this, &CConvertSheet::ShowTrayMenu);

    // Escape anywhere in the window is OK, seen before the focused control gets it.
    qApp->installEventFilter(this);
}

CConvertSheet::~CConvertSheet()
{
    qApp->removeEventFilter(this);
}

void CConvertSheet::BuildTrayMenu()
{
    auto add = [this](QMenu* menu, const QString& text, int command) {
        QAction* action = menu->addAction(text);
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
        return action;
    };
    QAction* open = add(m_trayMenu, Text(kelvara::IDS_CLOSE), ID_TRAY_OPEN);
    add(m_trayMenu, Text(kelvara::IDS_MENU_CHARACTER_MAP), ID_TRAY_CHARMAP);
    m_trayMenu->addSeparator();
    add(m_trayMenu, Text(kelvara::IDS_MENU_OPTIONS), ID_TRAY_OPTIONS);
    m_trayMenu->addSeparator();
    QMenu* help = m_trayMenu->addMenu(Text(kelvara::IDS_MENU_HELP));
    add(help, Text(kelvara::IDS_MENU_ABOUT), ID_HELP_ABOUT);
    help->addSeparator();
    add(help, Text(kelvara::IDS_MENU_CHECK_UPDATES), ID_HELP_CHECKUPDATES);
    add(help, Text(kelvara::IDS_MENU_UPDATE_RATES), ID_HELP_UPDATERATES);
    add(m_trayMenu, Text(kelvara::IDS_MENU_EXIT), ID_TRAY_EXIT);
    m_trayMenu->setDefaultAction(open);
    // Trays that show the menu by themselves still get it in step; those that render the exported
    // menu may not say when they show it.
    connect(m_trayMenu, &QMenu::aboutToShow, this, &CConvertSheet::UpdateTrayMenu);
    connect(this, &CConvertSheet::VisibleChanged, this, &CConvertSheet::UpdateTrayMenu);
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] { m_trayMenuOpened.start(); });
    m_trayMenuWidgets = {m_trayMenu, help};
}

int CConvertSheet::DoModal()
{
    setWindowIcon(kelvara::LoadIconResource(kelvara::IDR_MAINFRAME, kWindowIconMax));
    SetTopMost(m_optionsPage->IsAlwaysOnTop());
    if (m_visible) {
        SetVisible(true);
        // The tray after the window: asking the desktop for its tray takes a while, and the window
        // is what the user waits for.
        QTimer::singleShot(0, this, &CConvertSheet::AddTrayIcon);
    } else {
        AddTrayIcon();
        // Without a tray a hidden window could never be found again.
        SetVisible(!CanHide());
    }
    QTimer::singleShot(0, this, &CConvertSheet::StartAfterShow);

    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::exit);
    return loop.exec(QEventLoop::DialogExec);
}

void CConvertSheet::StartAfterShow()
{
    if (m_timeZoneWatcher)
        return;
    m_timeZoneWatcher = new kelvara::TimeZoneWatcher(this);
    connect(m_timeZoneWatcher, &kelvara::TimeZoneWatcher::Changed, this,
            &CConvertSheet::SystemTimeZoneChanged);
}

void CConvertSheet::ArrangeTabOrder()
{
    // Tab walks the tab bar, the shown page's controls, then the buttons, as in any tabbed dialog:
    // the pages joined the window after the buttons, and a page built late adds its controls at
    // the end of the window's chain.
    std::vector<QList<QWidget*>> controls(static_cast<size_t>(m_tabs->count()) + 1);
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (m_buttons->isAncestorOf(w)) {
            controls.back().append(w);
            continue;
        }
        for (int i = 0; i < m_tabs->count(); ++i)
            if (m_tabs->widget(i)->isAncestorOf(w))
                controls[static_cast<size_t>(i)].append(w);
    }
    QWidget* previous = m_tabs->tabBar();
    for (const QList<QWidget*>& group : controls)
        for (QWidget* control : group) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
}

void CConvertSheet::FocusFirstControl()
{
    // As in any tabbed dialog, the shown page's first control takes the keys, so that typing right
    // after the window opens goes somewhere.
    QWidget* page = m_tabs->currentWidget();
    if (auto* conversion = qobject_cast<CConversionPage*>(page)) {
        if (QWidget* preferred = conversion->TakePreferredFocus()) {
            preferred->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    QWidget* tabBar = m_tabs->tabBar();
    for (QWidget* w = tabBar->nextInFocusChain(); w != tabBar; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

COptionsPage& CConvertSheet::GetOptionsPage() const
{
    m_optionsPage->EnsureControls();
    return *m_optionsPage;
}

void CConvertSheet::AddTrayIcon()
{
    m_trayIcon->SetTooltip(kelvara::IDS_APP_TITLE);
    m_trayIcon->AddIcon(kelvara::IDR_MAINFRAME, false);
    if (!m_trayIcon->Update())
        m_trayRetry->start(); // no tray yet: keep looking for one
}

void CConvertSheet::SetVisible(bool visible)
{
    const bool comesBack = visible && !isVisible();
    m_visible = visible;
    if (visible) {
        showNormal();
        if (comesBack)
            FocusFirstControl();
        raise();
        activateWindow();
    } else {
        hide();
        if (m_optionsPage->IsShowBalloon())
            m_trayIcon->ShowBalloon(kelvara::IDS_APP_TITLE, BalloonTextId(), kBalloonTimeout,
                                    kelvara::BalloonInfo);
    }
    emit VisibleChanged(visible);
}

void CConvertSheet::setVisible(bool visible)
{
    // While the flag says hidden, nothing shows the window.
    if (visible && !m_visible)
        return;
    QDialog::setVisible(visible);
}

void CConvertSheet::SetTopMost(bool on)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow* window = windowHandle()) {
        // Re-creating the native window would hide it; the window system takes the flag as it is.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

bool CConvertSheet::IsUseRegionalSettings() const
{
    const auto* page = qobject_cast<const CConversionPage*>(GetPage(ConversionPage));
    return page && page->UsesRegionalSettings();
}

std::uint32_t CConvertSheet::OnIdentification(const std::string& activationToken)
{
    if (!m_optionsPage->IsCloseToTray())
        return 0;
    // Qt's Wayland support activates a window with the token it finds in the environment (and
    // removes it there); without one the compositor may leave the window behind others.
    if (!activationToken.empty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(activationToken));
    SetVisible(true);
    return kelvara::kInstanceTag;
}

void CConvertSheet::CancelToClose()
{
    m_okButton->setText(Text(kelvara::IDS_BUTTON_CLOSE));
    m_cancelButton->setEnabled(false);
}

void CConvertSheet::SetActivePage(int page)
{
    m_tabs->setCurrentIndex(page);
}

int CConvertSheet::GetActivePage() const
{
    return m_tabs->currentIndex();
}

QWidget* CConvertSheet::GetPage(int page) const
{
    return m_tabs->widget(page);
}

unsigned CConvertSheet::BalloonTextId() const
{
    // Each kind of tray is told what its own clicks do.
    return m_trayIcon->IsStatusNotifier() ? kelvara::IDS_BALLOON_TEXT_SNI : kelvara::IDS_BALLOON_TEXT;
}

bool CConvertSheet::CanHide() const
{
    return m_trayIcon->IsVisible();
}

bool CConvertSheet::HidesOnClose() const
{
    // Without a tray, close-to-tray would strand the user: the close box then ends the program.
    return m_optionsPage->IsCloseToTray() && CanHide();
}

void CConvertSheet::OnOK()
{
    if (HidesOnClose())
        SetVisible(false);
    else
        done(ResultOk);
}

void CConvertSheet::reject()
{
    done(ResultCancel);
}

void CConvertSheet::closeEvent(QCloseEvent* event)
{
    if (HidesOnClose()) {
        event->ignore();
        SetVisible(false);
        return;
    }
    event->accept();
    done(ResultCancel);
}

bool CConvertSheet::eventFilter(QObject* watched, QEvent* event)
{
    // The second click of a double click on the icon, or the release of the press that opened the
    // menu, must not choose whatever entry lies under the pointer.
    if (IsMouseClick(event) && m_trayMenuOpened.isValid() &&
        m_trayMenuOpened.elapsed() < DoubleClickInterval() &&
        std::find(m_trayMenuWidgets.begin(), m_trayMenuWidgets.end(), watched) != m_trayMenuWidgets.end())
        return true;
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress ||
         event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A drop-down list or menu that is open takes its own Escape. Under Wayland the list closes
        // on the shortcut check that comes before the press, and the press itself then reaches the
        // window the keyboard is on: that press is still the list's.
        if (QApplication::activePopupWidget()) {
            if (event->type() != QEvent::KeyRelease) {
                m_popupEscape = key->timestamp();
                m_popupEscapePending = true;
            }
            return QDialog::eventFilter(watched, event);
        }
        if (event->type() == QEvent::KeyRelease) {
            m_popupEscapePending = false;
            return QDialog::eventFilter(watched, event);
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            if (m_popupEscapePending && key->timestamp() == m_popupEscape && !key->isAutoRepeat())
                return true;
            if (event->type() == QEvent::KeyPress) {
                m_popupEscapePending = false;
                OnOK();
                return true;
            }
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        // Enter on a focused button presses it, whatever the default button is.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button && button->window() == this &&
            button->hasFocus() && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString CConvertSheet::FindCharacterMapTool()
{
    for (const char* name : {"gucharmap", "gnome-characters", "kcharselect", "charmap"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

void CConvertSheet::UpdateTrayMenu()
{
    for (QAction* action : m_trayMenu->actions()) {
        const int command = action->data().toInt();
        if (command == ID_TRAY_OPEN) {
            action->setText(Text(m_visible ? kelvara::IDS_CLOSE : kelvara::IDS_OPEN));
            m_trayMenu->setDefaultAction(action);
        } else if (command == ID_TRAY_CHARMAP) {
            action->setEnabled(!FindCharacterMapTool().isEmpty());
        }
    }
}

void CConvertSheet::ShowTrayMenu()
{
    if (m_trayMenu->isVisible())
        return; // a tray that shows the menu by itself already did
    UpdateTrayMenu();
    // Beside the icon, never over it, so that a further click on the icon cannot land on an entry;
    // the menu's right edge at the icon's (or the pointer's), as trays at the screen's edge want it.
    const QSize size = m_trayMenu->sizeHint();
    const QRect icon = m_trayIcon->GetGeometry();
    QPoint at = QCursor::pos();
    if (icon.isValid()) {
        const QScreen* screen = QGuiApplication::screenAt(icon.center());
        const QRect area = screen ? screen->geometry() : QRect();
        const bool below = area.isEmpty() || icon.center().y() < area.center().y();
        at = QPoint(icon.right() + 1 - size.width(), below ? icon.bottom() + 1 : icon.top() - size.height());
        if (!area.isEmpty())
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    } else {
        at.rx() -= size.width();
    }
    m_trayMenu->popup(at);
}

void CConvertSheet::OnTrayNotify(unsigned id, kelvara::TrayEvent event)
{
    if (id != kTrayIconId)
        return;
    switch (event) {
    case kelvara::TrayEvent::BalloonClicked:
        m_optionsPage->SetShowBalloon(false);
        break;
    case kelvara::TrayEvent::LeftDoubleClick:
        m_menuDelay->stop();
        m_trayMenu->hide();
        OnCommand(ID_TRAY_OPEN);
        break;
    case kelvara::TrayEvent::LeftButtonDown:
        // The second press of a double click arrives before the double click itself.
        if (!m_menuDelay->isActive())
            m_menuDelay->start(DoubleClickInterval());
        break;
    case kelvara::TrayEvent::RightButtonDown:
        m_menuDelay->stop();
        ShowTrayMenu();
        break;
    case kelvara::TrayEvent::Activated:
        // StatusNotifier hosts report activations, never double clicks, and some report a double
        // click as three: whatever comes within the interval is the same click.
        if (m_lastActivation.isValid() && m_lastActivation.elapsed() < DoubleClickInterval())
            break;
        m_lastActivation.start();
        m_trayMenu->hide();
        OnCommand(ID_TRAY_OPEN);
        break;
    case kelvara::TrayEvent::MiddleButtonDown:
        break;
    }
}

void CConvertSheet::OnTrayLost()
{
    // As without a tray: the window cannot be lost, and the tray is picked up when one comes back.
    if (!m_visible)
        SetVisible(true);
    m_trayRetry->start();
}

void CConvertSheet::OnCommand(int command)
{
    switch (command) {
    case ID_TRAY_OPEN:
        SetActivePage(ConversionPage);
        SetVisible(!m_visible);
        break;
    case ID_TRAY_CHARMAP: {
        const QString tool = FindCharacterMapTool();
        if (!tool.isEmpty())
            QProcess::startDetached(tool, {}); // not reported: the entry is offered only when one was found
        break;
    }
    case ID_TRAY_OPTIONS:
        SetActivePage(OptionsPage);
        SetVisible(true);
        break;
    case ID_HELP_ABOUT:
        SetActivePage(AboutPage);
        SetVisible(true);
        break;
    case ID_HELP_CHECKUPDATES:
        if (m_updateCheck)
            m_updateCheck(this);
        break;
    case ID_HELP_UPDATERATES:
        if (m_ratesUpdate)
            m_ratesUpdate(*this);
        break;
    case ID_TRAY_EXIT:
        done(ResultExit);
        break;
    default:
        break;
    }
}

void CConvertSheet::RetryTray()
{
    if (m_trayIcon->Update())
        m_trayRetry->stop();
}
