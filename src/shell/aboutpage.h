#pragma once

#include <QWidget>

#include <memory>

class CHyperLink;
class CModuleVersion;

namespace Ui {
class CAboutPage;
}

// The third tab of the main window: name, version and legal notice from the program's version
// record, and links to the home page and the currency-rate service.
class CAboutPage : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutPage)

public:
    // Shows the running program's version record.
    explicit CAboutPage(QWidget* parent = nullptr);
    // Shows `version`; null leaves the version and legal-notice lines at their template texts.
    CAboutPage(QWidget* parent, const CModuleVersion* version);
    ~CAboutPage() override;

    // The home-page link and the currency-rate service's link.
    CHyperLink& HomeLink();
    CHyperLink& ServiceLink();

private:
    void ShowVersion(const CModuleVersion& version);

    std::unique_ptr<Ui::CAboutPage> m_ui;
};
