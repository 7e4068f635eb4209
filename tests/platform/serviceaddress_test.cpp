#include "platform/serviceaddress.h"

#include "platform/profilestore.h"

#include "kelvara/addresses.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

class ServiceAddressTest : public testing::Test {
protected:
    void SetUp() override { SetProfile(&m_store); }
    void TearDown() override { SetProfile(nullptr); }

    MemoryProfileStore m_store;
};

TEST_F(ServiceAddressTest, BuiltInDefaultsWithoutOverrides)
{
    EXPECT_TRUE(IsWebAddress(KELVARA_DEFAULT_SERVICE_URL));
    EXPECT_TRUE(IsWebAddress(KELVARA_DEFAULT_UPDATE_URL));
    EXPECT_TRUE(IsWebAddress(KELVARA_DEFAULT_HOME_URL));
    EXPECT_TRUE(IsWebAddress(KELVARA_DEFAULT_REFERENCE_RATES_URL));
    EXPECT_EQ(HomePageAddress(), KELVARA_DEFAULT_HOME_URL);
    EXPECT_EQ(ReferenceRatesAddress(), KELVARA_DEFAULT_REFERENCE_RATES_URL);
    EXPECT_EQ(RateServicePageAddress(), ServiceAddress() + "/ucc/");
    EXPECT_NE(ServiceAddress().back(), '/');
    EXPECT_NE(UpdateServiceAddress().back(), '/');
}

TEST_F(ServiceAddressTest, OverridesFromTheOptionsSectionWithoutTrailingSlashes)
{
    m_store.WriteProfileString("Options", "ServiceUrl", "http://127.0.0.1:8080//");
    m_store.WriteProfileString("Options", "UpdateServiceUrl", "HTTPS://updates.example.net/kelvara/");
    m_store.WriteProfileString("Options", "HomePageUrl", "https://mirror.example.net/kelvara/");
    EXPECT_EQ(ServiceAddress(), "http://127.0.0.1:8080");
    EXPECT_EQ(RateServicePageAddress(), "http://127.0.0.1:8080/ucc/");
    EXPECT_EQ(UpdateServiceAddress(), "HTTPS://updates.example.net/kelvara");
    EXPECT_EQ(HomePageAddress(), "https://mirror.example.net/kelvara/");
    m_store.WriteProfileString("Options", "ReferenceRatesUrl", "http://127.0.0.1:8080/eurofxref-daily.xml");
    EXPECT_EQ(ReferenceRatesAddress(), "http://127.0.0.1:8080/eurofxref-daily.xml");
}

TEST_F(ServiceAddressTest, UnsafeOrMalformedOverridesFallBackToTheDefault)
{
    for (const char* bad :
         {"", "rates.example.net", "file:///etc/passwd", "javascript:alert(1)", "ftp://host", "https://",
          "https:///path", "https://.host", "https://host:99999999", "https://host:port", "https://user@host",
          "https://host/a b", "https://host/\"x\"", "https://host/?q=1", "https://host#top",
          "https://host\\share", "https://ho st", "https://host/\x01"}) {
        m_store.WriteProfileString("Options", "ServiceUrl", bad);
        m_store.WriteProfileString("Options", "HomePageUrl", bad);
        m_store.WriteProfileString("Options", "ReferenceRatesUrl", bad);
        m_store.WriteProfileString("Options", "WorldRatesUrl", bad);
        EXPECT_FALSE(IsWebAddress(bad)) << bad;
        EXPECT_EQ(WorldRatesAddresses(), (std::vector<std::string>{KELVARA_DEFAULT_WORLD_RATES_URL,
                                                                   KELVARA_DEFAULT_WORLD_RATES_FALLBACK_URL}))
            << bad;
        EXPECT_EQ(HomePageAddress(), KELVARA_DEFAULT_HOME_URL) << bad;
        EXPECT_EQ(ReferenceRatesAddress(), KELVARA_DEFAULT_REFERENCE_RATES_URL) << bad;
        EXPECT_EQ(RateServicePageAddress(), ServiceAddress() + "/ucc/") << bad;
        EXPECT_TRUE(IsWebAddress(ServiceAddress())) << bad;
    }
}

TEST_F(ServiceAddressTest, TheWorldDocumentsPackageAddressMayHoldAnAtInItsPath)
{
    EXPECT_TRUE(IsWebAddress(KELVARA_DEFAULT_WORLD_RATES_URL, true));
    EXPECT_FALSE(IsWebAddress(KELVARA_DEFAULT_WORLD_RATES_URL)) << "nowhere else";
    EXPECT_FALSE(IsWebAddress("https://user@host/x", true)) << "never a user name";
    m_store.WriteProfileString("Options", "WorldRatesUrl", "http://127.0.0.1:8080/npm/pkg@latest/eur.json");
    EXPECT_EQ(WorldRatesAddresses(), std::vector<std::string>{"http://127.0.0.1:8080/npm/pkg@latest/eur.json"});
}

TEST_F(ServiceAddressTest, PlainAddressesAreAccepted)
{
    for (const char* good : {"http://localhost", "https://rates.example.net:8443/base/path",
                             "http://10.0.0.1:80/", "https://xn--bcher-kva.example/%7Euser/"})
        EXPECT_TRUE(IsWebAddress(good)) << good;
}

} // namespace
} // namespace kelvara
