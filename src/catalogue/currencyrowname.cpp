#include "catalogue/currencyrowname.h"

#include "catalogue/isonames.h"
#include "text/collate.h"
#include "text/translate.h"

#include <algorithm>
#include <iterator>

namespace kelvara {

namespace {

struct Row {
    const char* name;
    CurrencyRowParts parts;
};

// Sorted by row name (bytes). The English of a country is the name a reader of English knows it by
// today, which is what translators translate; the code lets iso-codes name it in languages our
// catalogue does not have. One row a line: tools/mkpot.py reads them.
// clang-format off
constexpr Row kRows[] = {
    {"Afghanistan Afghani", {"Afghanistan", "af", ""}},
    {"Albania Leke", {"Albania", "al", ""}},
    {"Algeria Dinar", {"Algeria", "dz", ""}},
    {"American Samoa United States Dollar", {"American Samoa", "as", ""}},
    {"Andorra Euro", {"Andorra", "ad", ""}},
    {"Angola Kwanza", {"Angola", "ao", ""}},
    {"Anguilla East Caribbean Dollar", {"Anguilla", "ai", ""}},
    {"Antigua and Barbuda East Caribbean Dollar", {"Antigua and Barbuda", "ag", ""}},
    {"Argentina Peso", {"Argentina", "ar", ""}},
    {"Armenia Dram", {"Armenia", "am", ""}},
    {"Aruba Florin", {"Aruba", "aw", ""}},
    {"Ashmore and Cartier Islands Australia Dollar", {"Ashmore and Cartier Islands", "", ""}},
    {"Australian Dollars", {"Australia", "au", ""}},
    {"Austria *Schillings", {"Austria", "at", "Austrian Schilling"}},
    {"Azerbaijan *Manat", {"Azerbaijan", "az", "Azerbaijani Manat"}},
    {"Azerbaijan Manat", {"Azerbaijan", "az", ""}},
    {"Bahamas Dollar", {"Bahamas", "bs", ""}},
    {"Bahrain Dinar", {"Bahrain", "bh", ""}},
    {"Bajan (Barbados) Dollar", {"Barbados", "bb", ""}},
    {"Balearic Islands Euro", {"Balearic Islands", "", ""}},
    {"Bangladesh Taka", {"Bangladesh", "bd", ""}},
    {"Barbados Dollar", {"Barbados", "bb", ""}},
    {"Belarus *Ruble", {"Belarus", "by", "Belarusian Ruble"}},
    {"Belarus Ruble", {"Belarus", "by", ""}},
    {"Belgium *Francs", {"Belgium", "be", "Belgian Franc"}},
    {"Belize Dollar", {"Belize", "bz", ""}},
    {"Benin CFA Franc BCEAO", {"Benin", "bj", ""}},
    {"Bermuda Dollar", {"Bermuda", "bm", ""}},
    {"Bhutan India Rupee", {"Bhutan", "bt", ""}},
    {"Bhutan Ngultrum", {"Bhutan", "bt", ""}},
    {"Bolivia Boliviano", {"Bolivia", "bo", ""}},
    {"Bonaire United States Dollar", {"Bonaire", "bq", ""}},
    {"Bosnia and Herzegovina Convertible Marka", {"Bosnia and Herzegovina", "ba", ""}},
    {"Botswana Pula", {"Botswana", "bw", ""}},
    {"Brazil Real", {"Brazil", "br", ""}},
    {"Brunei Dollar", {"Brunei", "bn", ""}},
    {"Brunei Singapore Dollar", {"Brunei", "bn", ""}},
    {"Bulgaria *Leva", {"Bulgaria", "bg", ""}},
    {"Burkina Faso CFA Franc BCEAO", {"Burkina Faso", "bf", ""}},
    {"Burundi Franc", {"Burundi", "bi", ""}},
    {"Cambodia Riel", {"Cambodia", "kh", ""}},
    {"Cameroon CFA Franc BEAC", {"Cameroon", "cm", ""}},
    {"Canada Dollars", {"Canada", "ca", ""}},
    {"Cape Verde Escudo", {"Cape Verde", "cv", ""}},
    {"Cayman Islands Dollar", {"Cayman Islands", "ky", ""}},
    {"Central African Republic CFA Franc BEAC", {"Central African Republic", "cf", ""}},
    {"Chad CFA Franc BEAC", {"Chad", "td", ""}},
    {"Chile Peso", {"Chile", "cl", ""}},
    {"China Yuan Renminbi", {"China", "cn", ""}},
    {"Christmas Island Australian Dollar", {"Christmas Island", "cx", ""}},
    {"Cocos (Keeling) Islands Australia Dollar", {"Cocos (Keeling) Islands", "cc", ""}},
    {"Colombia Peso", {"Colombia", "co", ""}},
    {"Comoros Franc", {"Comoros", "km", ""}},
    {"Congo/Brazzaville CFA Franc BEAC", {"Congo (Brazzaville)", "cg", ""}},
    {"Congo/Kinshasa Franc", {"Congo (Kinshasa)", "cd", ""}},
    {"Cook Islands New Zealand Dollar", {"Cook Islands", "ck", ""}},
    {"Coral Sea Islands Australia Dollar", {"Coral Sea Islands", "", ""}},
    {"Costa Rica Colon", {"Costa Rica", "cr", ""}},
    {"Croatia *Kuna", {"Croatia", "hr", ""}},
    {"Cuba *Convertible Peso", {"Cuba", "cu", ""}},
    {"Cuba Peso", {"Cuba", "cu", ""}},
    {"Curaçao Caribbean Guilder", {"Curaçao", "cw", "Caribbean Guilder"}},
    {"Cyprus *Pounds", {"Cyprus", "cy", "Cyprus Pound"}},
    {"Czech Republic Koruny", {"Czechia", "cz", ""}},
    {"Côte d'Ivoire CFA Franc BCEAO", {"Côte d'Ivoire", "ci", ""}},
    {"Denmark Kroner", {"Denmark", "dk", ""}},
    {"Djibouti Franc", {"Djibouti", "dj", ""}},
    {"Dominica East Caribbean Dollar", {"Dominica", "dm", ""}},
    {"Dominican Republic Peso", {"Dominican Republic", "do", ""}},
    {"East Timor United States Dollar", {"East Timor", "tl", ""}},
    {"Ecuador United States Dollar", {"Ecuador", "ec", ""}},
    {"Egypt Pound", {"Egypt", "eg", ""}},
    {"El Salvador Colon", {"El Salvador", "sv", ""}},
    {"Equatorial Guinea CFA Franc BEAC", {"Equatorial Guinea", "gq", ""}},
    {"Eritrea Nakfa", {"Eritrea", "er", ""}},
    {"Estonia *Krooni", {"Estonia", "ee", "Estonian Kroon"}},
    {"Ethiopia Birr", {"Ethiopia", "et", ""}},
    {"Europa Island Euro", {"Europa Island", "", ""}},
    {"Faeroe Islands Denmark Krone", {"Faroe Islands", "fo", ""}},
    {"Falkland Islands Pound", {"Falkland Islands", "fk", ""}},
    {"Fiji Dollar", {"Fiji", "fj", ""}},
    {"Finland *Markka", {"Finland", "fi", "Finnish Markka"}},
    {"France *Francs", {"France", "fr", "French Franc"}},
    {"French Guiana Euro", {"French Guiana", "gf", ""}},
    {"French Polynesia Comptoirs Français du Pacifique Franc", {"French Polynesia", "pf", ""}},
    {"French Polynesia Euro", {"French Polynesia", "pf", ""}},
    {"French Southern and Antarctic Lands Euro", {"French Southern and Antarctic Lands", "tf", ""}},
    {"Gabon CFA Franc BEAC", {"Gabon", "ga", ""}},
    {"Gambia Dalasi", {"Gambia", "gm", ""}},
    {"Georgia Lari", {"Georgia", "ge", ""}},
    {"Germany *Deutsche Marks", {"Germany", "de", "Deutsche Mark"}},
    {"Ghana *Cedi", {"Ghana", "gh", "Ghanaian Cedi"}},
    {"Ghana Cedi", {"Ghana", "gh", ""}},
    {"Gibraltar Pound", {"Gibraltar", "gi", ""}},
    {"Greece *Drachma", {"Greece", "gr", "Greek Drachma"}},
    {"Greenland Denmark Krone", {"Greenland", "gl", ""}},
    {"Grenada East Caribbean Dollar", {"Grenada", "gd", ""}},
    {"Guam United States Dollar", {"Guam", "gu", ""}},
    {"Guatemala Quetzal", {"Guatemala", "gt", ""}},
    {"Guernsey Pound", {"Guernsey", "gg", "Guernsey Pound"}},
    {"Guinea Franc", {"Guinea", "gn", ""}},
    {"Guinea-Bissau CFA Francs BCEAO", {"Guinea-Bissau", "gw", ""}},
    {"Guyana Dollar", {"Guyana", "gy", ""}},
    {"Haiti Gourde", {"Haiti", "ht", ""}},
    {"Honduras Lempira", {"Honduras", "hn", ""}},
    {"Hong-Kong Dollars", {"Hong Kong", "hk", ""}},
    {"Hungary Forint", {"Hungary", "hu", ""}},
    {"Iceland Kronur", {"Iceland", "is", ""}},
    {"India Rupee", {"India", "in", ""}},
    {"Indonesia Rupiah", {"Indonesia", "id", ""}},
    {"Iran Rial", {"Iran", "ir", ""}},
    {"Iraq Dinar", {"Iraq", "iq", ""}},
    {"Ireland *Punts", {"Ireland", "ie", "Irish Pound"}},
    {"Isle of Man Pound", {"Isle of Man", "im", "Manx Pound"}},
    {"Israel New Shekel", {"Israel", "il", ""}},
    {"Italy *Lira", {"Italy", "it", "Italian Lira"}},
    {"Ivory Coast (Côte d'Ivoire) CFA Franc BCEAO", {"Côte d'Ivoire", "ci", ""}},
    {"Jamaica Dollar", {"Jamaica", "jm", ""}},
    {"Japan Yen", {"Japan", "jp", ""}},
    {"Jersey Pound", {"Jersey", "je", "Jersey Pound"}},
    {"Johnston Atoll United States Dollar", {"Johnston Atoll", "", ""}},
    {"Jordan Dinar", {"Jordan", "jo", ""}},
    {"Juan de Nova Euro", {"Juan de Nova", "", ""}},
    {"Kazakhstan Tenge", {"Kazakhstan", "kz", ""}},
    {"Kenya Shilling", {"Kenya", "ke", ""}},
    {"Kiribati Australian Dollar", {"Kiribati", "ki", ""}},
    {"Kuwait Dinar", {"Kuwait", "kw", ""}},
    {"Kyrgyzstan Som", {"Kyrgyzstan", "kg", ""}},
    {"Laos Kip", {"Laos", "la", ""}},
    {"Latvia *Lati", {"Latvia", "lv", "Latvian Lats"}},
    {"Lebanon Pound", {"Lebanon", "lb", ""}},
    {"Lesotho Loti", {"Lesotho", "ls", ""}},
    {"Liberia Dollar", {"Liberia", "lr", ""}},
    {"Libya Dinar", {"Libya", "ly", ""}},
    {"Lithuania *Litai", {"Lithuania", "lt", "Lithuanian Litas"}},
    {"Luxembourg *Francs", {"Luxembourg", "lu", "Luxembourg Franc"}},
    {"Macau Pataca", {"Macau", "mo", ""}},
    {"Macedonia Denars", {"North Macedonia", "mk", ""}},
    {"Madagascar *Franc", {"Madagascar", "mg", "Malagasy Franc"}},
    {"Madagascar Ariary", {"Madagascar", "mg", ""}},
    {"Malawi Kwacha", {"Malawi", "mw", ""}},
    {"Malaysia Ringgits", {"Malaysia", "my", ""}},
    {"Maldives Rufiyaa", {"Maldives", "mv", ""}},
    {"Mali CFA Franc BCEAO", {"Mali", "ml", ""}},
    {"Malta *Liri", {"Malta", "mt", "Maltese Lira"}},
    {"Marshall Islands United States Dollars", {"Marshall Islands", "mh", ""}},
    {"Martinique Euro", {"Martinique", "mq", ""}},
    {"Mauritania *Ouguiya", {"Mauritania", "mr", "Mauritanian Ouguiya"}},
    {"Mauritania Ouguiya", {"Mauritania", "mr", ""}},
    {"Mauritius Rupee", {"Mauritius", "mu", ""}},
    {"Mayotte Euro", {"Mayotte", "yt", ""}},
    {"Mexico Peso", {"Mexico", "mx", ""}},
    {"Midway Islands United States Dollar", {"Midway Islands", "", ""}},
    {"Mongolia Tughrik", {"Mongolia", "mn", ""}},
    {"Montserrat East Caribbean Dollar", {"Montserrat", "ms", ""}},
    {"Morocco Dirham", {"Morocco", "ma", ""}},
    {"Mozambique *Metical", {"Mozambique", "mz", "Mozambican Metical"}},
    {"Mozambique Metical", {"Mozambique", "mz", ""}},
    {"Myanmar (Burma) Kyat", {"Myanmar", "mm", ""}},
    {"Namibia Dollar", {"Namibia", "na", ""}},
    {"Nauru Australia Dollar", {"Nauru", "nr", ""}},
    {"Navassa Haiti Gourde", {"Navassa", "", ""}},
    {"Nepal Rupee", {"Nepal", "np", ""}},
    {"Netherlands *Guilder", {"Netherlands", "nl", "Dutch Guilder"}},
    {"Netherlands Antilles *Guilder", {"Netherlands Antilles", "", ""}},
    {"Netherlands Euro", {"Netherlands", "nl", ""}},
    {"New Caledonia Comptoirs Français du Pacifique Franc", {"New Caledonia", "nc", ""}},
    {"New Zealand Dollars", {"New Zealand", "nz", ""}},
    {"Nicaragua Cordoba", {"Nicaragua", "ni", ""}},
    {"Niger CFA Franc BCEAO", {"Niger", "ne", ""}},
    {"Nigeria Naira", {"Nigeria", "ng", ""}},
    {"Niue New Zealand Dollar", {"Niue", "nu", ""}},
    {"Norfolk Island Australia Dollar", {"Norfolk Island", "nf", ""}},
    {"North Korea Won", {"North Korea", "kp", ""}},
    {"Northern Mariana Island United States Dollars", {"Northern Mariana Islands", "mp", ""}},
    {"Norway Kroner", {"Norway", "no", ""}},
    {"Oman Rial", {"Oman", "om", ""}},
    {"Pakistan Rupee", {"Pakistan", "pk", ""}},
    {"Palau United States Dollar", {"Palau", "pw", ""}},
    {"Panama Balboa", {"Panama", "pa", ""}},
    {"Panama United States Dollar", {"Panama", "pa", ""}},
    {"Papua New Guinea Kina", {"Papua New Guinea", "pg", ""}},
    {"Paracel Islands China Yuan Renminbi", {"Paracel Islands", "", ""}},
    {"Paracel Islands Vietnam Dong", {"Paracel Islands", "", ""}},
    {"Paraguay Guarani", {"Paraguay", "py", ""}},
    {"Peru Nuevo Sol", {"Peru", "pe", ""}},
    {"Philippines Peso", {"Philippines", "ph", ""}},
    {"Pitcairn New Zealand Dollar", {"Pitcairn", "pn", ""}},
    {"Poland Zlotych", {"Poland", "pl", ""}},
    {"Portugal *Escudo", {"Portugal", "pt", "Portuguese Escudo"}},
    {"Puerto Rico United States Dollar", {"Puerto Rico", "pr", ""}},
    {"Qatar Riyal", {"Qatar", "qa", ""}},
    {"Reunion Euro", {"Réunion", "re", ""}},
    {"Romania *Lei", {"Romania", "ro", "Romanian Leu"}},
    {"Romania New Lei", {"Romania", "ro", ""}},
    {"Russia Rubles", {"Russia", "ru", ""}},
    {"Rwanda Franc", {"Rwanda", "rw", ""}},
    {"Saint Helena Pound", {"Saint Helena", "sh", ""}},
    {"Saint Kitts and Nevis East Caribbean Dollars", {"Saint Kitts and Nevis", "kn", ""}},
    {"Saint Lucia East Caribbean Dollar", {"Saint Lucia", "lc", ""}},
    {"Saint Pierre and Miquelon Euro", {"Saint Pierre and Miquelon", "pm", ""}},
    {"Saint Vincent and The Grenadines East Caribbean Dollar", {"Saint Vincent and The Grenadines", "vc", ""}},
    {"Saint-Martin Euro", {"Saint Martin", "mf", ""}},
    {"Samoa Tala", {"Samoa", "ws", ""}},
    {"San Marino Euro", {"San Marino", "sm", ""}},
    {"Saudi Arabia Riyal", {"Saudi Arabia", "sa", ""}},
    {"Seborga Luigino", {"Seborga", "", "Luigino"}},
    {"Senegal CFA Franc BCEAO", {"Senegal", "sn", ""}},
    {"Serbia Dinars", {"Serbia", "rs", ""}},
    {"Serbia and Montenegro *Dinar", {"Serbia and Montenegro", "", "Serbian Dinar"}},
    {"Seychelles Rupee", {"Seychelles", "sc", ""}},
    {"Sierra Leone *Leone", {"Sierra Leone", "sl", ""}},
    {"Sierra Leone Leone", {"Sierra Leone", "sl", ""}},
    {"Singapore Dollars", {"Singapore", "sg", ""}},
    {"Sint Eustatius United States Dollars", {"Sint Eustatius", "bq", ""}},
    {"Sint Maarten Caribbean Guilders", {"Sint Maarten", "sx", "Caribbean Guilder"}},
    {"Slovakia *Koruny", {"Slovakia", "sk", "Slovak Koruna"}},
    {"Slovenia *Tolar", {"Slovenia", "si", "Slovenian Tolar"}},
    {"Solomon Islands Dollar", {"Solomon Islands", "sb", ""}},
    {"Somalia Shilling", {"Somalia", "so", ""}},
    {"South African Rands", {"South Africa", "za", ""}},
    {"South Georgia United Kingdom Pound", {"South Georgia", "gs", ""}},
    {"South Korea Won", {"South Korea", "kr", ""}},
    {"South Sandwich Islands United Kingdom Pound", {"South Sandwich Islands", "gs", ""}},
    {"South Sudan Pound", {"South Sudan", "ss", ""}},
    {"Spain *Pesetas", {"Spain", "es", "Spanish Peseta"}},
    {"Sri Lanka Rupee", {"Sri Lanka", "lk", ""}},
    {"Sudan *Dinar", {"Sudan", "sd", "Sudanese Dinar"}},
    {"Sudan Pound", {"Sudan", "sd", ""}},
    {"Suriname *Guilder", {"Suriname", "sr", "Surinamese Guilder"}},
    {"Suriname Dollar", {"Suriname", "sr", ""}},
    {"Svalbard and Jan Mayen Norway Krone", {"Svalbard and Jan Mayen", "sj", ""}},
    {"Swaziland Lilangeni", {"Eswatini", "sz", ""}},
    {"Swaziland South African Rand", {"Eswatini", "sz", ""}},
    {"Sweden Kronor", {"Sweden", "se", ""}},
    {"Switzerland Francs", {"Switzerland", "ch", ""}},
    {"Syria Pound", {"Syria", "sy", ""}},
    {"São Tomé and Principe *Dobra", {"São Tomé and Principe", "st", "Dobra"}},
    {"São Tomé and Principe Dobra", {"São Tomé and Principe", "st", ""}},
    {"Taiwan New Dollars", {"Taiwan", "tw", ""}},
    {"Tajikistan Russia *Ruble", {"Tajikistan", "tj", ""}},
    {"Tajikistan Somoni", {"Tajikistan", "tj", ""}},
    {"Tanzania Shilling", {"Tanzania", "tz", ""}},
    {"Thailand Baht", {"Thailand", "th", ""}},
    {"Togo CFA Franc BCEAO", {"Togo", "tg", ""}},
    {"Tokelau New Zealand Dollar", {"Tokelau", "tk", ""}},
    {"Tonga Pa'anga", {"Tonga", "to", ""}},
    {"Transnistria Moldova Leu", {"Transnistria", "", ""}},
    {"Trinidad and Tobago Dollar", {"Trinidad and Tobago", "tt", ""}},
    {"Tunisia Dinar", {"Tunisia", "tn", ""}},
    {"Turkey *Liras", {"Türkiye", "tr", "Turkish Lira"}},
    {"Turkey New Liras", {"Türkiye", "tr", ""}},
    {"Turkmenistan *Manat", {"Turkmenistan", "tm", "Turkmen Manat"}},
    {"Turkmenistan Manat", {"Turkmenistan", "tm", ""}},
    {"Turks and Caicos Islands United States Dollar", {"Turks and Caicos Islands", "tc", ""}},
    {"Tuvalu Australia Dollar", {"Tuvalu", "tv", ""}},
    {"Tuvalu Dollar", {"Tuvalu", "tv", "Tuvaluan Dollar"}},
    {"Uganda Shilling", {"Uganda", "ug", ""}},
    {"Ukraine Hryvnia", {"Ukraine", "ua", ""}},
    {"United Arab Emirates Dirham", {"United Arab Emirates", "ae", ""}},
    {"United Kingdom Pounds", {"United Kingdom", "gb", ""}},
    {"United States Dollars", {"United States", "us", ""}},
    {"Uruguay Peso", {"Uruguay", "uy", ""}},
    {"Uzbekistan Som", {"Uzbekistan", "uz", ""}},
    {"Vanuatu Vatu", {"Vanuatu", "vu", ""}},
    {"Vatican City *Lira", {"Vatican City", "va", "Vatican Lira"}},
    {"Venezuela *Bolivar", {"Venezuela", "ve", "Venezuelan Bolívar"}},
    {"Venezuela *Bolivar Fuerte", {"Venezuela", "ve", "Venezuelan Bolívar Fuerte"}},
    {"Venezuela Bolivar Soberano", {"Venezuela", "ve", ""}},
    {"Venezuela Digital Bolivar", {"Venezuela", "ve", ""}},
    {"Vietnam Dong", {"Vietnam", "vn", ""}},
    {"Virgin Islands United States Dollar", {"United States Virgin Islands", "vi", ""}},
    {"Wake Island United States Dollar", {"Wake Island", "", ""}},
    {"Wallis and Futuna Islands Comptoirs Français du Pacifique Franc", {"Wallis and Futuna", "wf", ""}},
    {"West Bank Israel New Shekel", {"West Bank", "ps", ""}},
    {"West Bank Jordan Dinar", {"West Bank", "ps", ""}},
    {"Western Sahara Morocco Dirham", {"Western Sahara", "eh", ""}},
    {"Western Samoa (Samoa) Tala", {"Samoa", "ws", ""}},
    {"Yemen Rial", {"Yemen", "ye", ""}},
    {"Zambia *Kwacha", {"Zambia", "zm", "Zambian Kwacha"}},
    {"Zambia Kwacha", {"Zambia", "zm", ""}},
    {"Zimbabwe *Dollar", {"Zimbabwe", "zw", "Zimbabwe Dollar"}},
    {"Zimbabwe *Dollar (2009-2024)", {"Zimbabwe", "zw", ""}},
    {"Zimbabwe Gold", {"Zimbabwe", "zw", "Zimbabwe Gold"}},
};
// clang-format on

// Languages that write a currency's name in lower case inside a text ("franc suisse", "dólar
// estadounidense"), where iso-codes' list gives it as a title.
constexpr std::string_view kLowerCaseNameLanguages[] = {
    "bg", "ca", "cs", "da", "es", "et", "fi", "fr", "gl", "hr", "hu", "it", "lt", "lv",
    "nb", "nn", "no", "pl", "pt", "ro", "ru", "sk", "sl", "sr", "sv", "tr", "uk",
};

bool WritesNamesInLowerCase(std::string_view language)
{
    const std::string_view base = language.substr(0, language.find_first_of("_@."));
    return std::find(std::begin(kLowerCaseNameLanguages), std::end(kLowerCaseNameLanguages), base) !=
           std::end(kLowerCaseNameLanguages);
}

std::string CountryText(const CurrencyRowParts& parts)
{
    const std::string country(parts.country);
    const char* ours = Translate("Country", country.c_str());
    if (ours != country.c_str() || parts.countryCode.empty())
        return ours;
    const char* iso = IsoCountryName(parts.countryCode);
    return iso ? TranslateFrom(kCountryDomain, iso) : country;
}

std::string CurrencyText(const CurrencyRowParts& parts, std::string_view code, std::string_view language)
{
    if (!parts.currency.empty())
        return Translate("Currency name", std::string(parts.currency));
    const char* iso = IsoCurrencyName(code);
    if (!iso)
        return std::string(code);
    // Our catalogue words a few of iso-codes' names itself (tools/mkpot.py says which and why).
    if (const char* ours = Translate("Currency name", iso); ours != iso)
        return ours;
    const std::string name = TranslateFrom(kCurrencyDomain, iso);
    return WritesNamesInLowerCase(language) ? LowerFirstLetterOfWord(name) : name;
}

} // namespace

const CurrencyRowParts* FindCurrencyRowParts(std::string_view rowName)
{
    const auto* end = std::end(kRows);
    const auto* found =
        std::lower_bound(std::begin(kRows), end, rowName,
                         [](const Row& row, std::string_view name) { return row.name < name; });
    return found != end && found->name == rowName ? &found->parts : nullptr;
}

std::string CurrencyRowText(std::string_view rowName, std::string_view code)
{
    const std::string language = TextLanguage();
    const CurrencyRowParts* parts = language.empty() ? nullptr : FindCurrencyRowParts(rowName);
    if (!parts)
        return Translate("Currency", std::string(rowName));
    const bool ended = rowName.find('*') != std::string_view::npos;
    return CountryText(*parts) + " \u2013 " + (ended ? "*" : "") + CurrencyText(*parts, code, language);
}

} // namespace kelvara
