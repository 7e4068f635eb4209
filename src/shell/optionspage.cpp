#include "shell/optionspage.h"

#include "ui_optionspage.h"

#include "catalogue/conversioncore.h"
#include "catalogue/conversionunit.h"
#include "platform/autostart.h"
#include "platform/profilestore.h"
#include "text/strings.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

bool ReadOption(const char* name, int defaultValue)
{
    return kelvara::Profile().GetProfileInt(kelvara::kOptionsSection, name, defaultValue) != 0;
}

void WriteOption(const char* name, bool on)
{
    // A store that cannot be written leaves the new value in force for this run only.
    kelvara::Profile().WriteProfileInt(kelvara::kOptionsSection, name, on ? 1 : 0);
}

} // namespace

COptionsPage::COptionsPage(QWidget* parent, Controls controls)
    : QWidget(parent), m_runAtStartup(IsRunAtStartup()),
      m_closeToTray(ReadOption(kelvara::kCloseToSystray, 0)),
      m_alwaysOnTop(ReadOption(kelvara::kAlwaysOnTop, 0)),
      m_showBalloon(ReadOption(kelvara::kShowBalloon, 1)),
      m_keepRatesCurrent(ReadOption(kelvara::kUpdateRates, 1)),
      m_topMostSupported(!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
    // The tab's caption before the controls exist (the same as the form's).
    setWindowTitle(QString::fromStdString(kelvara::LoadString(kelvara::IDS_OPTIONS_PAGE)));
    if (controls == Controls::Now)
        EnsureControls();
}

COptionsPage::~COptionsPage() = default;

void COptionsPage::setVisible(bool visible)
{
    // Before the page shows, so that the controls show with it in the same paint.
    if (visible)
        EnsureControls();
    QWidget::setVisible(visible);
}

void COptionsPage::EnsureControls()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::COptionsPage>();
    m_ui->setupUi(this);
    m_ui->closeToTray->setChecked(m_closeToTray);
    m_ui->runAtStartup->setChecked(m_runAtStartup);
    m_ui->alwaysOnTop->setChecked(m_alwaysOnTop);
    m_ui->useRegionalSettings->setChecked(kelvara::ReadRegionalOption(kelvara::Profile()));
    m_ui->showBalloon->setChecked(m_showBalloon);
    m_ui->keepRatesCurrent->setChecked(m_keepRatesCurrent);
    // The choices are the form's texts: the numbers, which are never translated, and "All", which
    // in any language reads as 0. A number the form does not offer (the settings file edited by
    // hand) is shown in its place among them.
    QComboBox& digits = *m_ui->significantDigits;
    for (int i = 0; i < digits.count(); ++i)
        digits.setItemData(i, digits.itemText(i).toInt());
    const int stored = kelvara::ReadResultDigitsOption(kelvara::Profile());
    int shown = digits.findData(stored);
    if (shown < 0) {
        shown = 1;
        while (shown < digits.count() && digits.itemData(shown).toInt() > stored)
            ++shown;
        digits.insertItem(shown, QString::number(stored), stored);
    }
    digits.setCurrentIndex(shown);

    // clicked, not toggled: only the user's clicks act, not the page putting a box in step.
    connect(m_ui->runAtStartup, &QCheckBox::clicked, this, &COptionsPage::OnRunAtStartup);
    connect(m_ui->alwaysOnTop, &QCheckBox::clicked, this, &COptionsPage::OnAlwaysOnTop);
    connect(m_ui->showBalloon, &QCheckBox::clicked, this, &COptionsPage::OnShowBalloon);
    connect(m_ui->closeToTray, &QCheckBox::clicked, this, &COptionsPage::OnCloseToTray);
    connect(m_ui->useRegionalSettings, &QCheckBox::clicked, this, &COptionsPage::OnUseRegionalSettings);
    connect(m_ui->keepRatesCurrent, &QCheckBox::clicked, this, &COptionsPage::OnKeepRatesCurrent);
    // activated, not currentIndexChanged: only the user's choice acts.
    connect(m_ui->significantDigits, &QComboBox::activated, this, &COptionsPage::OnSignificantDigits);
    connect(m_ui->checkForUpdates, &QPushButton::clicked, this, &COptionsPage::CheckForUpdatesRequested);
    SetTopMostSupported(m_topMostSupported);
}

void COptionsPage::SetTopMostSupported(bool supported)
{
    m_topMostSupported = supported;
    if (!m_ui)
        return;
    // Wayland leaves stacking to the compositor: a box that does nothing says so instead. The
    // stored choice stays, for the next X11 session.
    m_ui->alwaysOnTop->setEnabled(supported);
    m_ui->alwaysOnTop->setToolTip(
        supported ? QString()
                  : QString::fromStdString(kelvara::LoadString(kelvara::IDS_ALWAYS_ON_TOP_DESKTOP)));
}

void COptionsPage::SetShowBalloon(bool on)
{
    m_showBalloon = on;
    WriteOption(kelvara::kShowBalloon, on);
    if (m_ui)
        m_ui->showBalloon->setChecked(on);
}

bool COptionsPage::IsRunAtStartup()
{
    std::string command;
    if (!kelvara::ReadAutostartCommand(command))
        return false;
    const auto first = command.find_first_not_of("\" ");
    return first != std::string::npos;
}

void COptionsPage::SetRunAtStartup(bool on)
{
    if (!on) {
        kelvara::RemoveAutostartEntry();
        return;
    }
    const QString program = QCoreApplication::applicationFilePath();
    if (!program.isEmpty())
        kelvara::WriteAutostartEntry(program.toStdString());
}

void COptionsPage::OnRunAtStartup(bool checked)
{
    m_runAtStartup = checked;
    SetRunAtStartup(checked);
}

void COptionsPage::OnAlwaysOnTop(bool checked)
{
    m_alwaysOnTop = checked;
    WriteOption(kelvara::kAlwaysOnTop, checked);
    emit AlwaysOnTopChanged(checked);
}

void COptionsPage::OnShowBalloon(bool checked)
{
    m_showBalloon = checked;
    WriteOption(kelvara::kShowBalloon, checked);
}

void COptionsPage::OnCloseToTray(bool checked)
{
    m_closeToTray = checked;
    WriteOption(kelvara::kCloseToSystray, checked);
}

void COptionsPage::OnUseRegionalSettings(bool checked)
{
    kelvara::WriteRegionalOption(kelvara::Profile(), checked);
    emit UseRegionalSettingsChanged(checked);
}

void COptionsPage::OnKeepRatesCurrent(bool checked)
{
    m_keepRatesCurrent = checked;
    WriteOption(kelvara::kUpdateRates, checked);
}

void COptionsPage::OnSignificantDigits(int index)
{
    // Choosing the digits in force again changes nothing.
    const int digits = m_ui->significantDigits->itemData(index).toInt();
    if (digits == kelvara::GetResultDigits())
        return;
    kelvara::WriteResultDigitsOption(kelvara::Profile(), digits);
    emit SignificantDigitsChanged(digits);
}
