#include "page/conversionpage.h"

#include "ui_conversionpage.h"

#include "catalogue/conversionunit.h"
#include "catalogue/currencycategory.h"
#include "catalogue/currencyrates.h"
#include "catalogue/dataarchive.h"
#include "catalogue/lookupunit.h"
#include "platform/messages.h"
#include "platform/profilestore.h"
#include "text/formattext.h"
#include "text/formatting.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QToolTip>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kCategory = "Category";
constexpr const char* kSourceUnit = "SourceUnit";
constexpr const char* kTargetUnit = "TargetUnit";
constexpr const char* kSourceValue = "SourceValue";
// 1: the stored unit positions count in the category's own order, not by name.
constexpr const char* kUnitOrder = "UnitOrder";
constexpr const char* kOptions = "Options";
constexpr const char* kUseRegionalSettings = "UseRegionalSettings";

constexpr int kClockPeriodMs = 1000;
// Tooltips show at most this many characters of a long value.
constexpr int kToolTipLength = 255;

// Grid rows of the separator: just below the source unit list, or below the extra row (rate
// controls or the system-zone line).
constexpr int kSeparatorRowBelowUnits = 2;
constexpr int kSeparatorRowBelowExtraRow = 4;

std::string CategorySection(int position)
{
    return std::string(kSettings) + "\\Categories\\" + std::to_string(position);
}

QString ToQt(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

CConversionPage::CConversionPage(QWidget* parent, DataPreparer prepare, StartSave startSave)
    : QWidget(parent), m_ui(std::make_unique<Ui::ConversionPage>()),
      m_caption(ToQt(kelvara::LoadString(kelvara::IDS_APP_TITLE)))
{
    m_ui->setupUi(this);
    m_useRegional = kelvara::Profile().GetProfileInt(kOptions, kUseRegionalSettings, 1) != 0;
    kelvara::SetResultDigits(kelvara::ReadResultDigitsOption());
    m_significantDigits = kelvara::GetResultDigits();

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

    m_clock.setInterval(kClockPeriodMs);
    connect(&m_clock, &QTimer::timeout, this, [this] { RunConversion(false); });

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
    m_catalogue.clear();
}

void CConversionPage::Initialize(const DataPreparer& prepare, StartSave startSave)
{
    bool prepared = false;
    if (prepare) {
        prepared = prepare();
    } else {
        m_archive = std::make_unique<CDataArchive>();
        prepared = m_archive->Prepare();
    }
    if (!prepared || !CreateCatalogue(m_catalogue)) {
        ShowErrorMessage(kelvara::IDS_INIT_FAILED, kelvara::MB_ICONERROR, -1);
        DisableAllControls();
        return;
    }
    m_working = true;

    m_ui->sourceEdit->SetCaseInsensitive(true);
    m_ui->sourceEdit->SetUpperCase(true);
    m_ui->sourceEdit->SetRegionalMode(m_useRegional);
    m_ui->targetEdit->SetRegionalMode(m_useRegional);
    PlaceSeparator(false);
    m_ui->zoneLine->SetFitToText(true, 0);

    m_categoryIndex = kelvara::Profile().GetProfileInt(kSettings, kCategory, 0);
    m_ui->categoryList->ResetContent();
    for (std::size_t i = 0; i < m_catalogue.size(); ++i)
        m_ui->categoryList->AddText(ToQt(m_catalogue[i]->GetName()),
                                    QVariant::fromValue(static_cast<int>(i)));
    if (!m_ui->categoryList->SetCurSel(m_categoryIndex))
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
    const int position = m_ui->categoryList->currentIndex();
    if (position < 0)
        return nullptr;
    bool ok = false;
    const int index = m_ui->categoryList->itemData(position).toInt(&ok);
    if (!ok || index < 0 || static_cast<std::size_t>(index) >= m_catalogue.size())
        return nullptr;
    return m_catalogue[static_cast<std::size_t>(index)].get();
}

CCurrencyCategory* CConversionPage::CurrentCurrencyCategory() const
{
    CCategory* category = CurrentCategory();
    if (!category || category->GetKind() != Currency)
        return nullptr;
    return dynamic_cast<CCurrencyCategory*>(category);
}

CCurrency* CConversionPage::SelectedSourceCurrency() const
{
    return dynamic_cast<CCurrency*>(m_ui->sourceUnitList->SelectedItem().unit);
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
    CCategory* category = CurrentCategory();
    if (!category)
        return;
    if (!category->EnsureLoaded()) {
        DisableAllControls();
        return;
    }
    m_categoryIndex = m_ui->categoryList->currentIndex();
    // Positions just turned to the new order are stored at once: the mark that says so is.
    const bool converted = LoadSelections();
    RefreshCategory();
    if (save == StartSave::Now || converted) {
        SaveSelections();
        return;
    }
    // Each stored value is a synced write; the window's first paint need not wait for them. A change
    // the user makes before this runs has already stored the selections as they are then.
    QTimer::singleShot(0, this, [this] {
        if (m_working)
            SaveSelections();
    });
}

bool CConversionPage::LoadSelections()
{
    const std::string section = CategorySection(m_categoryIndex);
    auto& profile = kelvara::Profile();
    m_valueIndex = profile.GetProfileInt(section, kSourceValue, 0);
    m_sourceUnitIndex = profile.GetProfileInt(section, kSourceUnit, 0);
    m_targetUnitIndex = profile.GetProfileInt(section, kTargetUnit, 0);
    const CCategory* category = CurrentCategory();
    if (category && category->StoresFileOrder()) {
        // Stored as rows of the file; the lists show them by name.
        bool converted = false;
        if (profile.GetProfileInt(section, kUnitOrder, 0) != 1) {
            // Stored by an earlier version as positions in its lists: the same currencies.
            if (profile.GetProfileInt(section, kSourceUnit, INT_MIN) != INT_MIN)
                m_sourceUnitIndex = category->FromEarlierListPosition(m_sourceUnitIndex);
            if (profile.GetProfileInt(section, kTargetUnit, INT_MIN) != INT_MIN)
                m_targetUnitIndex = category->FromEarlierListPosition(m_targetUnitIndex);
            profile.WriteProfileInt(section, kUnitOrder, 1);
            converted = true;
        }
        m_sourceUnitIndex = category->ToNameOrder(m_sourceUnitIndex);
        m_targetUnitIndex = category->ToNameOrder(m_targetUnitIndex);
        return converted;
    }
    if (category && !category->SortsUnits() && profile.GetProfileInt(section, kUnitOrder, 0) != 1) {
        // Stored while the lists sorted every category by name: the same zones, not the same places.
        if (profile.GetProfileInt(section, kSourceUnit, INT_MIN) != INT_MIN)
            m_sourceUnitIndex = category->FromNameOrder(m_sourceUnitIndex);
        if (profile.GetProfileInt(section, kTargetUnit, INT_MIN) != INT_MIN)
            m_targetUnitIndex = category->FromNameOrder(m_targetUnitIndex);
        profile.WriteProfileInt(section, kUnitOrder, 1);
        return true;
    }
    return false;
}

void CConversionPage::SaveSelections()
{
    m_categoryIndex = m_ui->categoryList->currentIndex();
    m_sourceUnitIndex = m_ui->sourceUnitList->currentIndex();
    m_targetUnitIndex = m_ui->targetUnitList->currentIndex();
    m_valueIndex = m_ui->valueList->currentIndex();

    auto& profile = kelvara::Profile();
    profile.WriteProfileInt(kSettings, kCategory, m_categoryIndex);
    const std::string section = CategorySection(m_categoryIndex);
    if (!m_ui->valueList->isHidden())
        profile.WriteProfileInt(section, kSourceValue, m_valueIndex);
    const CCategory* category = CurrentCategory();
    const bool fileOrder = category && category->StoresFileOrder();
    profile.WriteProfileInt(section, kSourceUnit, fileOrder ? category->FromNameOrder(m_sourceUnitIndex)
                                                            : m_sourceUnitIndex);
    profile.WriteProfileInt(section, kTargetUnit, fileOrder ? category->FromNameOrder(m_targetUnitIndex)
                                                            : m_targetUnitIndex);
}

void CConversionPage::RefreshCategory()
{
    CCategory* category = CurrentCategory();
    if (!category)
        return;
    SetCaption(ToQt(kelvara::LoadString(kelvara::IDS_APP_TITLE) + " [" + category->GetName() + "]"));
    category->FillSourceUnits(*m_ui->sourceUnitList, m_sourceUnitIndex);
    category->FillTargetUnits(*m_ui->targetUnitList, m_targetUnitIndex);
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
    RebuildRateLine();
    LayoutForCategory(*category);
    RunConversion(false);
}

void CConversionPage::LayoutForCategory(CCategory& category)
{
    if (category.IsLookup()) {
        m_ui->valueList->show();
        m_ui->sourceEdit->hide();
        m_ui->sourceValueLabel->setBuddy(m_ui->valueList);
        RefillValueList(true);
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

    const bool currency = category.GetKind() == Currency;
    m_ui->sourceEdit->SetCurrencyMode(currency);
    m_ui->targetEdit->SetCurrencyMode(currency);
    m_ui->sourceEdit->setReadOnly(category.IsSourceReadOnly());

    PlaceSeparator(category.SeparatorBelowUnits());
    // After the currency mode, so the first currency already admits the monetary characters.
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
    if (!category || category->IsLookup())
        return;
    const CBaseUnit* unit = m_ui->sourceUnitList->SelectedItem().unit;
    if (!unit)
        return;
    m_ui->sourceEdit->SetValidChars(unit->GetInputChars());
}

void CConversionPage::RefillValueList(bool initial)
{
    CCategory* category = CurrentCategory();
    if (!category || !category->IsLookup())
        return;
    const bool fixed = category->HasFixedValueList();
    if (fixed && !initial)
        return;
    int column = 0;
    if (!fixed && m_ui->sourceUnitList->currentIndex() >= 0)
        column = m_ui->sourceUnitList->SelectedItem().column;
    if (category->FillValueList(*m_ui->valueList, m_valueIndex, column))
        OnValueChange();
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
    CCurrencyCategory* currencies = CurrentCurrencyCategory();
    m_rateWarning = false;
    if (!currencies) {
        m_ui->rateLine->hide();
        m_ui->referenceButton->hide();
        m_ui->rateButton->hide();
        return;
    }
    const CCurrency* source = SelectedSourceCurrency();
    QString line;
    QString tip;
    if (source) {
        // Every rate shows its age: where it comes from and the day it is of.
        const CCurrencyCategory::RateOrigin origin = currencies->GetRateLineOrigin(*source);
        const QString date = origin.date.empty() ? ToQt(kelvara::LoadString(kelvara::IDS_RATE_DATE_UNKNOWN))
                                                 : ShortDate(origin.date);
        line = ToQt(currencies->GetRateLine(*source, m_useRegional));
        if (origin.source == kelvara::kRateSourceFixed) {
            line += QStringLiteral("  (%1)").arg(ToQt(origin.source));
        } else {
            line += QStringLiteral("  (%1, %2)").arg(ToQt(origin.source), date);
            m_rateWarning = kelvara::IsRateOutdated(origin.date, origin.source, kelvara::TodayIsoDate());
            tip = m_rateWarning ? ToQt(kelvara::FormatText(
                                      kelvara::LoadString(kelvara::IDS_RATES_OUTDATED),
                                      {date.toStdString(), origin.source, kelvara::kRateWarningDays}))
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
    m_ui->rateButton->setVisible(source && source->TakesRates());
}

// --- Conversion ---------------------------------------------------------------------------------

void CConversionPage::RunConversion(bool fromValueList)
{
    CCategory* category = CurrentCategory();
    if (!m_working || !category)
        return;

    if (category->HasFixedValueList()) {
        // The value list and the source list pick the same row; keep them in step.
        kelvara::UnitComboBox& from = fromValueList ? *m_ui->valueList : *m_ui->sourceUnitList;
        kelvara::UnitComboBox& to = fromValueList ? *m_ui->sourceUnitList : *m_ui->valueList;
        const kelvara::ListItem item = from.SelectedItem();
        to.setCurrentIndex(item.unit ? to.FindItem(item) : -1);
    }

    if (category->NeedsClock())
        StartClock();

    switch (category->GetKind()) {
    case Lookup: {
        const auto* row = dynamic_cast<const CLookupUnit*>(m_ui->valueList->SelectedItem().unit);
        if (!row || m_ui->targetUnitList->currentIndex() < 0)
            return;
        const std::string text = row->GetColumnText(m_ui->targetUnitList->SelectedItem().column);
        if (category->FormatsTarget())
            SetTargetText(text);
        else
            m_ui->targetEdit->setText(ToQt(text));
        break;
    }
    case TimeZone: {
        const CBaseUnit* first = m_ui->sourceUnitList->SelectedItem().unit;
        const CBaseUnit* second = m_ui->targetUnitList->SelectedItem().unit;
        if (!first || !second)
            return;
        const kelvara::UtcTicks now = kelvara::CurrentUtcTicks();
        m_ui->sourceEdit->setText(ToQt(kelvara::FormatZoneTime(first, now)));
        m_ui->targetEdit->setText(ToQt(kelvara::FormatZoneTime(second, now)));
        break;
    }
    case Numeric:
    case Currency: {
        const auto* source = dynamic_cast<const CConversionUnit*>(m_ui->sourceUnitList->SelectedItem().unit);
        const auto* target = dynamic_cast<const CConversionUnit*>(m_ui->targetUnitList->SelectedItem().unit);
        if (!source || !target)
            return;
        const std::string text = m_ui->sourceEdit->GetValueText();
        if (text.empty())
            m_ui->targetEdit->clear();
        else
            SetTargetText(source->Convert(text, *target));
        break;
    }
    }
}

void CConversionPage::SetTargetText(const std::string& text)
{
    CNumberEdit& target = *m_ui->targetEdit;
    target.SetValueText(text);
    // Every result shown is also on the clipboard, as the field would copy it.
    target.selectAll();
    target.copy();
    target.deselect();
    target.setCursorPosition(0);
}

// --- Notifications -------------------------------------------------------------------------------

void CConversionPage::OnSourceUnitChange()
{
    RebuildSourceFilter();
    RefillValueList(false);
    RebuildRateLine();
    RunConversion(false);
    SaveSelections();
}

void CConversionPage::OnTargetUnitChange()
{
    RunConversion(false);
    SaveSelections();
}

void CConversionPage::OnValueChange()
{
    RunConversion(true);
    SaveSelections();
}

void CConversionPage::OnSourceValueChange()
{
    // The clock's own writes into a read-only field are no typing.
    if (m_ui->sourceEdit->isReadOnly())
        return;
    if (m_ui->sourceEdit->text().isEmpty()) {
        m_ui->copyButton->setEnabled(false);
        m_ui->targetEdit->clear();
    } else {
        m_ui->copyButton->setEnabled(true);
        RunConversion(false);
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
    const int source = m_ui->sourceUnitList->currentIndex();
    const int target = m_ui->targetUnitList->currentIndex();
    if (source == target)
        return;
    m_ui->sourceEdit->clear();
    m_ui->sourceUnitList->setCurrentIndex(target);
    m_ui->targetEdit->clear();
    m_ui->targetUnitList->setCurrentIndex(source);
    OnSourceUnitChange();
}

void CConversionPage::OnRate()
{
    CCurrencyCategory* currencies = CurrentCurrencyCategory();
    CCurrency* currency = SelectedSourceCurrency();
    if (!currencies || !currency || !currency->TakesRates())
        return;

    std::string text = m_ui->sourceEdit->GetValueText();
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
        text = kelvara::FormatFixed(*fetched, 6);
        source = kelvara::kRateSourceService;
    }
    switch (kelvara::StoreUserRate(*currencies, currency->GetCode(), text, source, kelvara::Profile())) {
    case kelvara::UserRateResult::Invalid:
        ShowMessage(kelvara::IDS_INVALID_RATE, kelvara::MB_OK | kelvara::MB_ICONEXCLAMATION);
        return;
    case kelvara::UserRateResult::WriteFailed: {
        const std::string location = kelvara::Profile().GetLocation();
        ShowMessage(kelvara::IDS_RATE_NOT_STORED, kelvara::MB_OK | kelvara::MB_ICONEXCLAMATION,
                    "cannot write the settings" + (location.empty() ? std::string() : " (" + location + ")"));
        return;
    }
    case kelvara::UserRateResult::Stored:
        break;
    }
    RebuildRateLine();
    OnClear();
}

CCurrencyCategory* CConversionPage::LoadedCurrencyCategory()
{
    if (!m_working)
        return nullptr;
    for (const auto& category : m_catalogue) {
        if (auto* currencies = dynamic_cast<CCurrencyCategory*>(category.get()))
            return currencies->EnsureLoaded() ? currencies : nullptr;
    }
    return nullptr;
}

void CConversionPage::RefreshRates()
{
    for (const auto& category : m_catalogue) {
        if (auto* currencies = dynamic_cast<CCurrencyCategory*>(category.get());
            currencies && currencies->IsLoaded())
            currencies->ReloadStoredRates();
    }
    RebuildRateLine();
}

void CConversionPage::OnToggleReference()
{
    if (CCurrencyCategory* currencies = CurrentCurrencyCategory()) {
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
        RunConversion(false);
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
    m_useRegional = on;
    m_ui->sourceEdit->SetRegionalMode(on);
    m_ui->targetEdit->SetRegionalMode(on);
    m_ui->sourceEdit->clear();
    m_ui->targetEdit->clear();
    RebuildSourceFilter();
    RebuildRateLine();
}

void CConversionPage::SetSignificantDigits(int digits)
{
    kelvara::SetResultDigits(digits);
    m_significantDigits = kelvara::GetResultDigits();
    RebuildRateLine();
    // Only a measured result changes; a looked-up one would only be copied again.
    const CCategory* category = CurrentCategory();
    if (category && (category->GetKind() == Numeric || category->GetKind() == Currency) &&
        !m_ui->sourceEdit->text().isEmpty())
        RunConversion(false);
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
    const QString sample = QStringLiteral("US$ 1 = 00,000.000000000000  (%1, %2)")
                               .arg(ToQt(kelvara::kRateSourceBuiltIn), ShortDate("2026-09-30"));
    const int spacing = std::max(0, m_ui->extraRow->spacing());
    m_rateRowWidth = m_ui->rateLine->fontMetrics().horizontalAdvance(sample) + 2 * spacing +
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
