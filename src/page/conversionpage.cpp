#include "page/conversionpage.h"

#include "ui_conversionpage.h"

#include "catalogue/catalogue.h"
#include "catalogue/conversionunit.h"
#include "catalogue/currencycategory.h"
#include "catalogue/currencyrates.h"
#include "platform/messages.h"
#include "platform/profilestore.h"
#include "text/formattext.h"
#include "text/formatting.h"
#include "text/strings.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace {

constexpr int kClockPeriodMs = 1000;
// Tooltips show at most this many characters of a long value.
constexpr int kToolTipLength = 255;

// Grid rows of the separator: just below the source unit list, or below the extra row (rate
// controls or the system-zone line).
constexpr int kSeparatorRowBelowUnits = 2;
constexpr int kSeparatorRowBelowExtraRow = 4;

QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}

// Where a rate comes from, as the rate line says it: the services by their names, the rest in the
// user's language.
const std::string& RateSourceText(const std::string& source)
{
    static const std::pair<const char*, unsigned> words[] = {
        {kelvara::kRateSourceFixed, kelvara::IDS_RATE_SOURCE_FIXED},
        {kelvara::kRateSourceTyped, kelvara::IDS_RATE_SOURCE_TYPED},
        {kelvara::kRateSourceService, kelvara::IDS_RATE_SOURCE_SERVICE},
        {kelvara::kRateSourceBuiltIn, kelvara::IDS_RATE_SOURCE_BUILT_IN},
        {kelvara::kRateSourceStored, kelvara::IDS_RATE_SOURCE_STORED},
    };
    for (const auto& [word, id] : words)
        if (source == word)
            return kelvara::LoadString(id);
    return source;
}
} // namespace

CConversionPage::CConversionPage(QWidget* parent, DataPreparer prepare, StartSave startSave)
    : QWidget(parent), m_ui(std::make_unique<Ui::ConversionPage>()),
      m_caption(ToQt(kelvara::LoadString(kelvara::IDS_APP_TITLE)))
{
    m_ui->setupUi(this);
    kelvara::SetResultDigits(kelvara::ReadResultDigitsOption(kelvara::Profile()));

    m_ui->categoryList->SetSorted(true);
    m_ui->sourceUnitList->SetSorted(true);
    m_ui->targetUnitList->SetSorted(true);
    m_ui->valueList->SetSorted(false);
    for (kelvara::UnitComboBox* list : {m_ui->sourceUnitList, m_ui->targetUnitList, m_ui->valueList})
        list->EnableFilter();

    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        m_ui->iconLabel->hide();
    else
        m_ui->iconLabel->setPixmap(icon.pixmap(32, 32));

    // A child, so that what runs in the window can be found in it.
    m_clock.setParent(this);
    m_clock.setObjectName(QStringLiteral("clock"));
    m_clock.setInterval(kClockPeriodMs);
    connect(&m_clock, &QTimer::timeout, this, [this] { RunConversion(); });

    using kelvara::UnitComboBox;
    connect(m_ui->categoryList, &UnitComboBox::activated, this, [this] { OnCategoryChange(); });
    connect(m_ui->categoryList, &UnitComboBox::DropDownOpened, this, [this] { OnCategoryDropDownOpened(); });
    connect(m_ui->categoryList, &UnitComboBox::DropDownClosed, this, [this] { OnCategoryDropDownClosed(); });
    connect(m_ui->sourceUnitList, &UnitComboBox::activated, this, [this] { OnSourceUnitChange(); });
    connect(m_ui->sourceUnitList, &UnitComboBox::DropDownClosed, this, [this] { OnSourceUnitChange(); });
    connect(m_ui->targetUnitList, &UnitComboBox::activated, this, [this] { OnTargetUnitChange(); });
    connect(m_ui->targetUnitList, &UnitComboBox::DropDownClosed, this, [this] { OnTargetUnitChange(); });
    connect(m_ui->valueList, &UnitComboBox::activated, this, [this] { OnValueChange(); });
    connect(m_ui->valueList, &UnitComboBox::DropDownClosed, this, [this] { OnValueChange(); });
    connect(m_ui->sourceEdit, &QLineEdit::textChanged, this, [this] { OnSourceValueChange(); });
    connect(m_ui->copyButton, &QPushButton::clicked, this, [this] { OnCopy(); });
    connect(m_ui->clearButton, &QPushButton::clicked, this, [this] { OnClear(); });
    connect(m_ui->swapButton, &QPushButton::clicked, this, [this] { OnSwap(); });
    connect(m_ui->rateButton, &QPushButton::clicked, this, [this] { OnRate(); });
    connect(m_ui->referenceButton, &QPushButton::clicked, this, [this] { OnToggleReference(); });
    connect(m_ui->zoneLine, &CHyperLink::Clicked, this, [this] { OnZoneLineClicked(); });

    Initialize(prepare, startSave);
}

CConversionPage::~CConversionPage()
{
    m_clock.stop();
    // The lists carry pointers to units: empty them before the categories go.
    m_ui->valueList->clear();
    m_ui->sourceUnitList->clear();
    m_ui->targetUnitList->clear();
    m_core.reset();
}

void CConversionPage::Initialize(const DataPreparer& prepare, StartSave startSave)
{
    m_catalogue =
        prepare ? std::make_unique<kelvara::Catalogue>(prepare) : std::make_unique<kelvara::Catalogue>();
    // Readied at once: a page that cannot convert says so when it opens (the catalogue has told why).
    if (!m_catalogue->Prepare()) {
        DisableAllControls();
        return;
    }
    m_working = true;
    m_core = std::make_unique<kelvara::ConversionCore>(m_catalogue->Categories(), kelvara::Profile(),
                                                       kelvara::ConversionCore::Memory::Selections);
    m_core->SetRegional(kelvara::ReadRegionalOption(kelvara::Profile()));
    m_core->SetViews(m_ui->categoryList, m_ui->sourceUnitList, m_ui->targetUnitList, m_ui->valueList);

    m_ui->sourceEdit->SetCaseInsensitive(true);
    m_ui->sourceEdit->SetUpperCase(true);
    PlaceSeparator(false);
    m_ui->zoneLine->SetFitToText(true, 0);

    m_firstStart = m_core->IsFirstStart();
    if (!m_ui->categoryList->SetCurSel(m_core->RememberedCategory()))
        m_ui->categoryList->SetCurSel(0);

    OnCategoryChange(startSave);

    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->sourceEdit), static_cast<QWidget*>(m_ui->sourceUnitList),
          static_cast<QWidget*>(m_ui->targetEdit), static_cast<QWidget*>(m_ui->targetUnitList),
          static_cast<QWidget*>(m_ui->zoneLine)})
        control->installEventFilter(this);
}

void CConversionPage::DisableAllControls()
{
    m_working = false;
    StopClock();
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->valueList), static_cast<QWidget*>(m_ui->copyButton),
          static_cast<QWidget*>(m_ui->clearButton), static_cast<QWidget*>(m_ui->swapButton),
          static_cast<QWidget*>(m_ui->categoryList), static_cast<QWidget*>(m_ui->sourceEdit),
          static_cast<QWidget*>(m_ui->sourceUnitList), static_cast<QWidget*>(m_ui->targetUnitList)})
        control->setEnabled(false);
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->zoneCaption), static_cast<QWidget*>(m_ui->zoneLine),
          static_cast<QWidget*>(m_ui->rateLine), static_cast<QWidget*>(m_ui->referenceButton),
          static_cast<QWidget*>(m_ui->rateButton)})
        control->hide();
}

CCategory* CConversionPage::CurrentCategory() const
{
    return m_core ? m_core->GetCategory() : nullptr;
}

void CConversionPage::ShowSelections()
{
    m_ui->sourceUnitList->setCurrentIndex(m_core->SourceUnits().GetCurSel());
    m_ui->targetUnitList->setCurrentIndex(m_core->TargetUnits().GetCurSel());
    m_ui->valueList->setCurrentIndex(m_core->Values().GetCurSel());
}

void CConversionPage::SetCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit CaptionChanged(m_caption);
}

// --- Category change and layout ---------------------------------------------------------------

void CConversionPage::OnCategoryChange(StartSave save)
{
    StopClock();
    if (!m_core)
        return;
    using Store = kelvara::ConversionCore::Store;
    if (!m_core->SelectCategory(m_ui->categoryList->currentIndex(),
                                save == StartSave::Now ? Store::Now : Store::Later)) {
        DisableAllControls();
        return;
    }
    ShowSelections();
    RefreshCategory();
    if (save == StartSave::Now)
        return;
    // Each stored value is a synced write; the window's first paint need not wait for them. A change
    // the user makes before this runs has already stored the selections as they are then.
    QTimer::singleShot(0, this, [this] {
        if (m_working)
            m_core->StoreSelections();
    });
}

void CConversionPage::RefreshCategory()
{
    CCategory* category = CurrentCategory();
    if (!category)
        return;
    SetCaption(ToQt(kelvara::LoadString(kelvara::IDS_APP_TITLE) + " [" + category->GetName() + "]"));
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
    RebuildRateLine();
    LayoutForCategory(*category);
    RunConversion();
}

void CConversionPage::LayoutForCategory(CCategory& category)
{
    if (category.IsLookup()) {
        m_ui->valueList->show();
        m_ui->sourceEdit->hide();
        m_ui->sourceValueLabel->setBuddy(m_ui->valueList);
    } else {
        m_ui->sourceEdit->show();
        m_ui->valueList->hide();
        m_ui->sourceValueLabel->setBuddy(m_ui->sourceEdit);
    }

    if (category.GetKind() == TimeZone) {
        m_ui->zoneLine->setText(ToQt(kelvara::SystemZoneText(category)));
        m_ui->zoneLine->SetTarget({});
        m_ui->zoneCaption->show();
        m_ui->zoneLine->show();
    } else {
        m_ui->zoneCaption->hide();
        m_ui->zoneLine->hide();
    }

    m_ui->sourceEdit->setReadOnly(category.IsSourceReadOnly());

    PlaceSeparator(category.SeparatorBelowUnits());
    RebuildSourceFilter();

    m_ui->clearButton->setEnabled(category.CanClear());
    m_ui->swapButton->setEnabled(category.CanSwap());

    m_ui->sourceValueLabel->setText(ToQt(kelvara::LoadString(category.GetSourceValueLabelId())));
    m_ui->sourceUnitLabel->setText(ToQt(kelvara::LoadString(category.GetSourceUnitLabelId())));
    m_ui->targetValueLabel->setText(ToQt(kelvara::LoadString(category.GetTargetValueLabelId())));
    m_ui->targetUnitLabel->setText(ToQt(kelvara::LoadString(category.GetTargetUnitLabelId())));
}

void CConversionPage::PlaceSeparator(bool belowUnits)
{
    const int row = belowUnits ? kSeparatorRowBelowUnits : kSeparatorRowBelowExtraRow;
    m_ui->conversionGrid->removeWidget(m_ui->separator);
    m_ui->conversionGrid->addWidget(m_ui->separator, row, 0, 1, 2);
}

void CConversionPage::RebuildSourceFilter()
{
    CCategory* category = CurrentCategory();
    if (!category || category->IsLookup() || !m_core->SourceUnits().GetCount())
        return;
    m_ui->sourceEdit->SetValidChars(m_core->GetSourceInputChars());
}

namespace {
// "7 Dec 2026" in the user's short date format; the text itself when it is not a date.
QString ShortDate(const std::string& iso)
{
    const QDate date = QDate::fromString(ToQt(iso), Qt::ISODate);
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : ToQt(iso);
}
} // namespace

void CConversionPage::RebuildRateLine()
{
    const kelvara::ConversionCore::RateLine rate =
        m_core ? m_core->GetRateLine() : kelvara::ConversionCore::RateLine{};
    m_rateWarning = false;
    if (!rate.shown) {
        m_ui->rateLine->hide();
        m_ui->referenceButton->hide();
        m_ui->rateButton->hide();
        return;
    }
    QString line;
    QString tip;
    if (!rate.text.empty()) {
        const QString date = rate.date.empty() ? ToQt(kelvara::LoadString(kelvara::IDS_RATE_DATE_UNKNOWN))
                                               : ShortDate(rate.date);
        line = ToQt(rate.text);
        const QString source = ToQt(RateSourceText(rate.source));
        if (rate.source == kelvara::kRateSourceFixed) {
            line += QStringLiteral("  (%1)").arg(source);
        } else {
            line += QStringLiteral("  (%1, %2)").arg(source, date);
            m_rateWarning = rate.stale;
            tip =
                m_rateWarning
                    ? ToQt(kelvara::FormatText(kelvara::LoadString(kelvara::IDS_RATES_OUTDATED),
                                               {date.toStdString(), source.toStdString(), kelvara::kRateWarningDays}))
                    : ToQt(kelvara::FormatText(kelvara::LoadString(kelvara::IDS_RATES_OF),
                                               {date.toStdString()}));
        }
    }
    m_ui->rateLine->setText(line);
    m_ui->rateLine->setToolTip(tip);
    // A warning colour that reads on light and dark backgrounds alike.
    if (m_rateWarning) {
        QPalette palette = m_ui->rateLine->palette();
        palette.setColor(QPalette::WindowText, QColor(0xB0, 0x40, 0x00));
        m_ui->rateLine->setPalette(palette);
    } else {
        m_ui->rateLine->setPalette(QPalette());
    }
    m_ui->rateLine->show();
    m_ui->referenceButton->show();
    m_ui->rateButton->setVisible(rate.takesRates);
}

// --- Conversion ---------------------------------------------------------------------------------

void CConversionPage::RunConversion()
{
    CCategory* category = CurrentCategory();
    if (!m_working || !category)
        return;
    if (category->NeedsClock())
        StartClock();
    ShowResult(m_core->Convert());
}

void CConversionPage::ShowResult(const kelvara::ConversionCore::Result& result)
{
    using Form = kelvara::ConversionCore::Result::Form;
    switch (result.form) {
    case Form::None:
        break;
    case Form::Empty:
        m_ui->targetEdit->clear();
        break;
    case Form::Number:
        if (m_noResult) {
            m_noResult = false;
            m_ui->copyButton->setEnabled(true);
        }
        SetTargetText(result.target);
        break;
    case Form::Text:
        m_ui->targetEdit->setText(ToQt(result.target));
        break;
    case Form::Problem:
        // Why there is no number: shown, never put on the clipboard.
        m_noResult = true;
        m_ui->copyButton->setEnabled(false);
        m_ui->targetEdit->setText(ToQt(result.target));
        break;
    case Form::Times:
        m_ui->sourceEdit->setText(ToQt(result.source));
        m_ui->targetEdit->setText(ToQt(result.target));
        break;
    }
}

void CConversionPage::SetTargetText(const std::string& text)
{
    CNumberEdit& target = *m_ui->targetEdit;
    // Already in the notation the field shows.
    target.setText(ToQt(text));
    // Every result shown is also on the clipboard, as the field would copy it.
    target.selectAll();
    target.copy();
    target.deselect();
    target.setCursorPosition(0);
}

// --- Notifications -------------------------------------------------------------------------------

void CConversionPage::OnSourceUnitChange()
{
    if (!m_core)
        return;
    m_core->SelectSourceUnit(m_ui->sourceUnitList->currentIndex());
    ShowSelections();
    RebuildSourceFilter();
    RebuildRateLine();
    RunConversion();
}

void CConversionPage::OnTargetUnitChange()
{
    if (!m_core)
        return;
    m_core->SelectTargetUnit(m_ui->targetUnitList->currentIndex());
    RunConversion();
}

void CConversionPage::OnValueChange()
{
    if (!m_core)
        return;
    m_core->SelectValue(m_ui->valueList->currentIndex());
    ShowSelections();
    RunConversion();
}

void CConversionPage::OnSourceValueChange()
{
    // The clock's own writes into a read-only field are no typing.
    if (!m_core || m_ui->sourceEdit->isReadOnly())
        return;
    m_core->SetSourceText(m_ui->sourceEdit->text().toStdString());
    if (m_ui->sourceEdit->text().isEmpty()) {
        m_ui->copyButton->setEnabled(false);
        m_ui->targetEdit->clear();
    } else {
        m_ui->copyButton->setEnabled(true);
        RunConversion();
    }
}

void CConversionPage::OnCopy()
{
    const QString text = m_ui->sourceEdit->text() + QLatin1Char(' ') + m_ui->sourceUnitList->currentText() +
                         QStringLiteral(" = ") + m_ui->targetEdit->text() + QLatin1Char(' ') +
                         m_ui->targetUnitList->currentText();
    QGuiApplication::clipboard()->setText(text);
}

void CConversionPage::OnClear()
{
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
}

void CConversionPage::OnSwap()
{
    if (!m_core || !m_core->Swap())
        return;
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
    ShowSelections();
    RebuildSourceFilter();
    RebuildRateLine();
    RunConversion();
}

void CConversionPage::OnRate()
{
    CCurrencyCategory* currencies = m_core ? m_core->GetCurrencyCategory() : nullptr;
    CCurrency* currency = m_core ? m_core->GetSourceCurrency() : nullptr;
    if (!currencies || !currency || !currency->TakesRates())
        return;

    std::string text = m_core->GetSourceText();
    const char* source = kelvara::kRateSourceTyped;
    if (text.empty()) {
        // Every rate at once; the rate service only for a code no document carries.
        bool covered = false;
        if (m_ratesUpdate && !m_ratesUpdate(*currencies, currency->GetCode(), covered))
            return;
        if (covered) {
            RebuildRateLine();
            OnClear();
            return;
        }
        if (!m_rateFetcher)
            return;
        const std::optional<double> fetched = m_rateFetcher(*currency);
        if (!fetched)
            return;
        text = kelvara::RateText(*fetched);
        source = kelvara::kRateSourceService;
    }
    switch (kelvara::StoreUserRate(*currencies, currency->GetCode(), text, source, kelvara::Profile())) {
    case kelvara::UserRateResult::Invalid:
        ShowMessage(kelvara::IDS_INVALID_RATE, kelvara::MB_OK | kelvara::MB_ICONEXCLAMATION);
        return;
    case kelvara::UserRateResult::WriteFailed:
        ShowMessage(kelvara::IDS_RATE_NOT_STORED, kelvara::MB_OK | kelvara::MB_ICONEXCLAMATION,
                    kelvara::SettingsWriteFailure(kelvara::Profile()));
        return;
    case kelvara::UserRateResult::Stored:
        break;
    }
    RebuildRateLine();
    OnClear();
}

QWidget* CConversionPage::TakePreferredFocus()
{
    auto* field = m_ui->sourceEdit;
    const bool first = std::exchange(m_firstStart, false);
    return first && field->isVisible() && field->isEnabled() && !field->isReadOnly() ? field : nullptr;
}

CCurrencyCategory* CConversionPage::LoadedCurrencyCategory()
{
    if (!m_working)
        return nullptr;
    return m_catalogue->LoadedCurrencies();
}

void CConversionPage::RefreshRates()
{
    if (!m_catalogue)
        return;
    for (const auto& category : m_catalogue->Categories()) {
        if (auto* currencies = dynamic_cast<CCurrencyCategory*>(category.get());
            currencies && currencies->IsLoaded())
            currencies->ReloadStoredRates();
    }
    RebuildRateLine();
}

void CConversionPage::OnToggleReference()
{
    if (CCurrencyCategory* currencies = m_core ? m_core->GetCurrencyCategory() : nullptr) {
        currencies->ToggleEuroReference();
        RebuildRateLine();
    }
}

void CConversionPage::OnZoneLineClicked()
{
    if (CCategory* category = CurrentCategory())
        kelvara::OpenDateTimeSettings(*category);
}

// --- Clock and visibility ------------------------------------------------------------------------

void CConversionPage::StartClock()
{
    // A hidden window (in the tray, or another tab shown) costs nothing; showing it refreshes.
    if (!m_working || !isVisible() || m_ui->categoryList->IsDroppedDown())
        return;
    m_clock.start();
}

void CConversionPage::StopClock()
{
    m_clock.stop();
}

void CConversionPage::OnCategoryDropDownOpened()
{
    StopClock();
}

void CConversionPage::OnCategoryDropDownClosed()
{
    CCategory* category = CurrentCategory();
    if (category && category->NeedsClock())
        StartClock();
}

void CConversionPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    CCategory* category = CurrentCategory();
    if (m_working && category && category->NeedsClock() && !m_ui->categoryList->IsDroppedDown())
        RunConversion();
}

void CConversionPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    StopClock();
}

void CConversionPage::keyPressEvent(QKeyEvent* event)
{
    // Enter that no control of the page took (a value field, a list) is the page's default
    // command, Copy, whatever button had the focus before; it never reaches the window, where
    // it would close it. A focused button takes its own Enter.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && isAncestorOf(button) && button->isEnabled())
            button->click();
        else if (m_ui->copyButton->isEnabled())
            m_ui->copyButton->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- Options and system notifications ------------------------------------------------------------

void CConversionPage::SetUseRegionalSettings(bool on)
{
    if (m_core)
        m_core->SetRegional(on);
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
    RebuildSourceFilter();
    RebuildRateLine();
}

void CConversionPage::SetSignificantDigits(int digits)
{
    kelvara::SetResultDigits(digits);
    RebuildRateLine();
    // Only a measured result changes; a looked-up one would only be copied again.
    const CCategory* category = CurrentCategory();
    if (category && category->TakesTypedNumber() && !m_ui->sourceEdit->text().isEmpty())
        RunConversion();
}

void CConversionPage::RefreshTimeZoneDisplay()
{
    CCategory* category = CurrentCategory();
    if (!m_working || !category || category->GetKind() != TimeZone)
        return;
    m_ui->zoneLine->setText(ToQt(kelvara::SystemZoneText(*category)));
    m_ui->zoneLine->SetTarget({});
    update();
}

// --- Size ---------------------------------------------------------------------------------------

QSize CConversionPage::WithRoomForExtraRow(QSize size) const
{
    const int spacing = std::max(0, m_ui->conversionGrid->verticalSpacing());
    const int shown = m_ui->extraRow->isEmpty() ? 0 : m_ui->extraRow->sizeHint().height() + spacing;
    int tallest = 0;
    for (const QWidget* control :
         {static_cast<const QWidget*>(m_ui->rateLine), static_cast<const QWidget*>(m_ui->referenceButton),
          static_cast<const QWidget*>(m_ui->rateButton), static_cast<const QWidget*>(m_ui->zoneCaption),
          static_cast<const QWidget*>(m_ui->zoneLine)})
        tallest = std::max(tallest, control->sizeHint().height());
    size.setHeight(size.height() - shown + tallest + spacing);
    // As wide as a long rate line needs, in every category, so that the window keeps one width
    // whichever category shows: the grid gets the row's width, the rest is margins.
    const int margins = QWidget::sizeHint().width() - m_ui->conversionGrid->sizeHint().width();
    size.setWidth(std::max(size.width(), margins + RateRowWidth()));
    return size;
}

int CConversionPage::RateRowWidth() const
{
    if (m_rateRowWidth >= 0)
        return m_rateRowWidth;
    // Seventeen significant digits with a group separator, the longest source, a two-digit day.
    const QFontMetrics metrics = m_ui->rateLine->fontMetrics();
    QString longest;
    for (const char* source : {kelvara::kRateSourceEcb, kelvara::kRateSourceWorld, kelvara::kRateSourceTyped,
                               kelvara::kRateSourceService, kelvara::kRateSourceBuiltIn, kelvara::kRateSourceStored}) {
        const QString text = ToQt(RateSourceText(source));
        if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(longest))
            longest = text;
    }
    const QString sample = QStringLiteral("US$ 1 = 00,000.000000000000  (%1, %2)").arg(longest, ShortDate("2026-09-30"));
    const int spacing = std::max(0, m_ui->extraRow->spacing());
    m_rateRowWidth = metrics.horizontalAdvance(sample) + 2 * spacing +
                     m_ui->referenceButton->sizeHint().width() + m_ui->rateButton->sizeHint().width();
    return m_rateRowWidth;
}

void CConversionPage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::LocaleChange)
        m_rateRowWidth = -1;
    QWidget::changeEvent(event);
}

QSize CConversionPage::sizeHint() const
{
    return WithRoomForExtraRow(QWidget::sizeHint());
}

QSize CConversionPage::minimumSizeHint() const
{
    return WithRoomForExtraRow(QWidget::minimumSizeHint());
}

// --- Tooltips -------------------------------------------------------------------------------------

QString CConversionPage::ToolTipText(QObject* control) const
{
    if (control == m_ui->sourceEdit || control == m_ui->targetEdit)
        return static_cast<QLineEdit*>(control)->text();
    if (control == m_ui->sourceUnitList || control == m_ui->targetUnitList)
        return static_cast<QComboBox*>(control)->currentText();
    if (control == m_ui->zoneLine)
        return m_ui->zoneLine->DisplayText();
    return {};
}

bool CConversionPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // Narrow controls show their whole text in a tooltip.
        const QString text = ToolTipText(watched).left(kToolTipLength);
        auto* help = static_cast<QHelpEvent*>(event);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, static_cast<QWidget*>(watched));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
