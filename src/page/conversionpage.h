#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/category.h"
#include "catalogue/conversioncore.h"
#include "page/zonedisplay.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CCurrency;
class CCurrencyCategory;

namespace Ui {
class ConversionPage;
}

// The Conversion tab: the user picks a category, a source and a target unit, types a value (or,
// for the reference tables, picks one) and reads the result, which is also put on the clipboard.
// The page owns the catalogue and lays itself out for the selected category; what is converted,
// and remembered per category, is the conversion core's (kelvara::ConversionCore), which the page
// shows and tells what the user does.
class CConversionPage : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CConversionPage)

public:
    // Readies the data files before the catalogue is created; false fails the page's start.
    using DataPreparer = std::function<bool()>;
    // Fetches the current rate of a currency (units per one euro); nothing when it could not.
    using RateFetcher = std::function<std::optional<double>(CCurrency&)>;

    // Builds the page and selects the remembered category. `prepare` readies the data files;
    // without one the page's catalogue reads the built-in archive (a data file beside the program
    // still comes first). The regional mode starts from the stored option (ReadRegionalOption).
    // When the start's selections are stored: at once, or once the event loop runs (the program's
    // window, which shows before the settings file is written).
    enum class StartSave { Now, Deferred };
    explicit CConversionPage(QWidget* parent = nullptr, DataPreparer prepare = {},
                             StartSave startSave = StartSave::Now);
    ~CConversionPage() override;

    // The window caption for the selected category: "Kelvara [Weight]". CaptionChanged reports
    // every change; read this once after connecting.
    QString Caption() const { return m_caption; }

    // Shows values in the user's regional notation (on) or in neutral notation; empties both fields.
    void SetUseRegionalSettings(bool on);
    // The core's mode; off while the page cannot convert.
    bool UsesRegionalSettings() const { return m_core && m_core->IsRegional(); }
    // Rounds results to `digits` significant digits (0: all, as the catalogue writes them); the
    // result shown, the clipboard and the rate line follow at once. Starts from the stored option
    // (ReadResultDigitsOption).
    void SetSignificantDigits(int digits);
    // Rebuilds the system-zone line (after the system's time or zone changed).
    void RefreshTimeZoneDisplay();

    // What the Rate button does when the source field is empty (unset: nothing).
    void SetRateFetcher(RateFetcher fetcher) { m_rateFetcher = std::move(fetcher); }
    // The update of every rate at once: the Rate button with an empty source field runs it first
    // and asks the fetcher only for a code that no document carries. `update` stores the rates,
    // reloads the category's, sets `covered` when a document gave the code's rate and says whether
    // any document arrived (a failure has been reported).
    using RatesUpdate = std::function<bool(CCurrencyCategory&, const std::string& code, bool& covered)>;
    void SetRatesUpdate(RatesUpdate update) { m_ratesUpdate = std::move(update); }
    // The currency category, loaded (null when it cannot be), for updates from elsewhere.
    CCurrencyCategory* LoadedCurrencyCategory();
    // After rates were stored elsewhere: every currency takes its stored rate again, the rate line
    // follows.
    void RefreshRates();
    // The rate line's warning state: the rate shown is the built-in one, of unknown date or more
    // than a week old.
    bool IsRateLineWarning() const { return m_rateWarning; }

    // False after a failed start or a category that could not be loaded: the page stays disabled.
    bool IsWorking() const { return m_working; }
    // The control that takes the keys when the window first opens: the value field at a first
    // start, so that the first thing typed is a value; null (the usual first control) after that.
    QWidget* TakePreferredFocus();
    CCategory* CurrentCategory() const;

    // As tall in every category, so the window keeps its size: the room of the extra row (rate
    // controls or system-zone line) is counted also while the category shows none.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void CaptionChanged(const QString& caption);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Initialize(const DataPreparer& prepare, StartSave startSave);
    void DisableAllControls();

    void OnCategoryChange(StartSave save = StartSave::Now);
    void OnSourceUnitChange();
    void OnTargetUnitChange();
    void OnValueChange();
    void OnSourceValueChange();
    void OnCopy();
    void OnClear();
    void OnSwap();
    void OnRate();
    void OnToggleReference();
    void OnZoneLineClicked();
    void OnCategoryDropDownOpened();
    void OnCategoryDropDownClosed();

    // The lists show the core's selections (also none, which the lists cannot be told as a position).
    void ShowSelections();
    void RefreshCategory();
    void LayoutForCategory(CCategory& category);
    void PlaceSeparator(bool belowUnits);
    void RebuildSourceFilter();
    void RebuildRateLine();
    void RunConversion();
    void ShowResult(const kelvara::ConversionCore::Result& result);
    void SetTargetText(const std::string& text);
    void StartClock();
    void StopClock();
    void SetCaption(const QString& caption);

    QSize WithRoomForExtraRow(QSize size) const;
    // The width the rate row needs for a long rate line.
    int RateRowWidth() const;
    QString ToolTipText(QObject* control) const;

    std::unique_ptr<Ui::ConversionPage> m_ui;
    std::unique_ptr<kelvara::Catalogue> m_catalogue;
    std::unique_ptr<kelvara::ConversionCore> m_core; // once the catalogue is there
    QTimer m_clock;
    RateFetcher m_rateFetcher;
    RatesUpdate m_ratesUpdate;
    bool m_rateWarning = false;
    // The result field says why there is no result: Copy has nothing to copy until a number returns.
    bool m_noResult = false;
    QString m_caption;
    bool m_working = false;
    bool m_firstStart = false;
    mutable int m_rateRowWidth = -1; // measured once per font, style and locale
};
