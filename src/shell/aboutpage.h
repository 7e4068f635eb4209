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
    enum class Content { Now, OnFirstShow };

    // Shows the running program's version record. With Content::OnFirstShow the page's controls
    // are built when it first shows (or EnsureContent is called): most runs never open the tab.
    explicit CAboutPage(QWidget* parent = nullptr, Content content = Content::Now);
    // Shows `version`; null leaves the version and legal-notice lines at their template texts.
    CAboutPage(QWidget* parent, const CModuleVersion* version);
    ~CAboutPage() override;

    // Builds the controls unless they exist.
    void EnsureContent();
    void setVisible(bool visible) override;

    // The home-page link and the currency-rate service's link (built on the first call).
    CHyperLink& HomeLink();
    CHyperLink& ServiceLink();

private:
    void Build(const CModuleVersion* version);
    void ShowVersion(const CModuleVersion& version);

    std::unique_ptr<Ui::CAboutPage> m_ui;
};
