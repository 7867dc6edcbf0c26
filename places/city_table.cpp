#include "places/city_table.h"

#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <system_error>

namespace places {

namespace {

// The places of each province in index order; the comment gives the city index. Coordinates are in
// degrees with two decimals, east longitudes negative. Fourteen rows of the old table held the
// coordinates of another place (a county of the same name elsewhere, a copied row); they are
// corrected, each with a note of what the old table had. The four 重庆 districts without
// coordinates read as 0.

#include "places/city_rows.inc"

}  // namespace

// The weather site's number of each province (ProvinceRow::site) follows the site's own order, not
// the order of this list: 山西 is 10, 陕西 11, 山东 12, and so on.
const ProvinceRow Provinces[ProvinceCount + 1] = {
    {"", 0, 0, nullptr},
    {"北京", 1, std::size(BeijingPlaces), BeijingPlaces},
    {"上海", 2, std::size(ShanghaiPlaces), ShanghaiPlaces},
    {"天津", 3, std::size(TianjinPlaces), TianjinPlaces},
    {"重庆", 4, std::size(ChongqingPlaces), ChongqingPlaces},
    {"黑龙江", 5, std::size(HeilongjiangPlaces), HeilongjiangPlaces},
    {"吉林", 6, std::size(JilinPlaces), JilinPlaces},
    {"辽宁", 7, std::size(LiaoningPlaces), LiaoningPlaces},
    {"内蒙古", 8, std::size(InnerMongoliaPlaces), InnerMongoliaPlaces},
    {"河北", 9, std::size(HebeiPlaces), HebeiPlaces},
    {"河南", 18, std::size(HenanPlaces), HenanPlaces},
    {"山东", 12, std::size(ShandongPlaces), ShandongPlaces},
    {"山西", 10, std::size(ShanxiPlaces), ShanxiPlaces},
    {"陕西", 11, std::size(ShaanxiPlaces), ShaanxiPlaces},
    {"甘肃", 16, std::size(GansuPlaces), GansuPlaces},
    {"宁夏", 17, std::size(NingxiaPlaces), NingxiaPlaces},
    {"新疆", 13, std::size(XinjiangPlaces), XinjiangPlaces},
    {"青海", 15, std::size(QinghaiPlaces), QinghaiPlaces},
    {"西藏", 14, std::size(TibetPlaces), TibetPlaces},
    {"四川", 27, std::size(SichuanPlaces), SichuanPlaces},
    {"云南", 29, std::size(YunnanPlaces), YunnanPlaces},
    {"贵州", 26, std::size(GuizhouPlaces), GuizhouPlaces},
    {"湖南", 25, std::size(HunanPlaces), HunanPlaces},
    {"湖北", 20, std::size(HubeiPlaces), HubeiPlaces},
    {"安徽", 22, std::size(AnhuiPlaces), AnhuiPlaces},
    {"江苏", 19, std::size(JiangsuPlaces), JiangsuPlaces},
    {"浙江", 21, std::size(ZhejiangPlaces), ZhejiangPlaces},
    {"江西", 24, std::size(JiangxiPlaces), JiangxiPlaces},
    {"福建", 23, std::size(FujianPlaces), FujianPlaces},
    {"广东", 28, std::size(GuangdongPlaces), GuangdongPlaces},
    {"广西", 30, std::size(GuangxiPlaces), GuangxiPlaces},
    {"海南", 31, std::size(HainanPlaces), HainanPlaces},
    {"香港", 32, std::size(HongKongPlaces), HongKongPlaces},
    {"澳门", 33, std::size(MacaoPlaces), MacaoPlaces},
    {"台湾", 34, std::size(TaiwanPlaces), TaiwanPlaces},
    {"国外", 0, std::size(AbroadPlaces), AbroadPlaces},
};

namespace {

// Province indexes the weather-code rules name.
constexpr int Beijing = 1;
constexpr int Shanghai = 2;
constexpr int Tianjin = 3;
constexpr int Chongqing = 4;
constexpr int Hainan = 31;
constexpr int Abroad = 35;

bool IsProvince(int province) { return province >= 1 && province <= ProvinceCount; }

// The place the numeric lookups answer for: a province outside the table is province 1, then a city
// outside its province is city 1.
const CityRow& NormalizedRow(int& province, int& city) {
    if (!IsProvince(province)) province = 1;
    if (city < 1 || city > Provinces[province].city_count) city = 1;
    return Provinces[province].cities[city - 1];
}

// The value of a stored two-decimal text; the empty text (no coordinates) reads as 0. from_chars
// parses in the C locale whatever the process locale, and rounds to the nearest double, so "-116.38"
// gives exactly the double of the literal -116.38.
double DegreesOf(const char* text) {
    const std::string_view view(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    return error == std::errc() && end == view.data() + view.size() ? value : 0.0;
}

// A weather-site city code reads 101 (China), the site's province number (2 digits), the city within
// that province (2 digits) and the station (2 digits, 01 the city's own). The districts of the four
// municipalities are cities of their own with station 00.
constexpr std::int32_t SiteCode(int site, int city, int station) {
    return 101000000 + 10000 * site + 100 * city + station;
}

// 上海's districts, in table order; the site skips 04 and 12.
constexpr std::int32_t ShanghaiCodes[] = {101020100, 101020200, 101020300, 101020500,
                                          101020600, 101020700, 101020800, 101020900,
                                          101021000, 101021100, 101021300};
static_assert(std::size(ShanghaiCodes) == 11);

// Cities of the provinces whose site code does not follow SiteCode(site, city, 1).
struct WeatherException {
    int province;
    int city;
    std::int32_t code;
};

constexpr WeatherException WeatherExceptions[] = {
    {5, 10, 101051002},   // 黑龙江 七台河
    {9, 4, 101090402},    // 河北 承德
    {12, 11, 101101100},  // 山西 吕梁
    {13, 2, 101110200},   // 陕西 咸阳
    {13, 3, 101110300},   // 陕西 延安
    {22, 7, 101250700},   // 湖南 益阳
    {22, 13, 101251401},  // 湖南 永州
    {22, 14, 101251501},  // 湖南 湘西
    {29, 8, 101280800},   // 广东 佛山
    {31, 14, 101310214},  // 海南 保亭
    {31, 15, 101310215},  // 海南 万宁
    {31, 16, 101310216},  // 海南 陵水
    {31, 17, 101310217},  // 海南 西沙
    {31, 18, 101310220},  // 海南 南沙
    {31, 19, 101310221},  // 海南 乐东
    {31, 20, 101310222},  // 海南 五指山
};

// The code of a place whose indexes are already in the table.
std::int32_t WeatherCodeOf(int province, int city) {
    switch (province) {
    case Beijing:  // 天安门 shares the code of 市区; the districts follow from 01 on
        return city == 1 ? SiteCode(1, 1, 0) : SiteCode(1, city - 1, 0);
    case Shanghai:
        return ShanghaiCodes[city - 1];
    case Tianjin:  // the site skips 13 for 蓟县
        return city <= 12 ? SiteCode(3, city, 0) : SiteCode(3, 14, 0);
    case Chongqing:  // the site skips 12 after 黔江, and 35 before 秀山
        return city <= 11 ? SiteCode(4, city, 0) : city <= 33 ? SiteCode(4, city + 1, 0) : SiteCode(4, 36, 0);
    case Abroad:
        return 0;
    default:
        break;
    }
    for (const WeatherException& e : WeatherExceptions) {
        if (e.province == province && e.city == city) return e.code;
    }
    // 海南's cities 东方 .. 文昌 are stations of the site's city 02.
    if (province == Hainan && city >= 3 && city <= 13) return SiteCode(31, 2, city - 1);
    return SiteCode(Provinces[province].site, city, 1);
}

}  // namespace

std::string CityText(int province, int city) {
    if (province == -1) return "中国";
    if (province == 0) return std::to_string(ChineseProvinceCount);
    if (!IsProvince(province)) return {};
    const ProvinceRow& row = Provinces[province];
    if (city == -1) return row.name;
    if (city == 0) return std::to_string(row.city_count);
    if (city >= 1 && city <= row.city_count) return row.cities[city - 1].name;
    return {};
}

double CityLongitude(int province, int city) { return DegreesOf(NormalizedRow(province, city).longitude); }

double CityLatitude(int province, int city) { return DegreesOf(NormalizedRow(province, city).latitude); }

std::int32_t CityWeatherCode(int province, int city) {
    NormalizedRow(province, city);
    return WeatherCodeOf(province, city);
}

CityRecord CityRecordOf(int province, int city) {
    const CityRow& row = NormalizedRow(province, city);
    CityRecord record;
    record.province = province;
    record.city = city;
    record.name = row.name;
    record.longitude = DegreesOf(row.longitude);
    record.latitude = DegreesOf(row.latitude);
    record.weather_code = WeatherCodeOf(province, city);
    return record;
}

int CityCount(int province) { return IsProvince(province) ? Provinces[province].city_count : 0; }

bool FindCity(const std::string& province_name, const std::string& city_name, int& province, int& city) {
    for (int p = 1; p <= ProvinceCount; ++p) {
        const ProvinceRow& row = Provinces[p];
        if (province_name != row.name) continue;
        for (int c = 1; c <= row.city_count; ++c) {
            if (city_name == row.cities[c - 1].name) {
                province = p;
                city = c;
                return true;
            }
        }
        return false;
    }
    return false;
}

// snprintf rounds the exact binary value to four decimals; the stored values have two, so the last
// two digits are always 00 (116.38 is held as 116.37999..., which rounds back to 116.3800).
std::string LongitudeText(double x) {
    if (!std::isfinite(x)) return {};
    char digits[32];
    std::snprintf(digits, sizeof digits, "%08.4f", std::fabs(x));
    return std::string(x > 0 ? "西经" : "东经") + digits + "度";
}

std::string LatitudeText(double y) {
    if (!std::isfinite(y)) return {};
    char digits[32];
    std::snprintf(digits, sizeof digits, "%07.4f", std::fabs(y));
    return std::string(y > 0 ? "北纬" : "南纬") + digits + "度";
}

int AcceptProvinceIndex(const std::string& stored) {
    std::int32_t index = 0;
    return text::ParseCanonicalInteger(stored, index) && IsProvince(index) ? index : 1;
}

int AcceptCityIndex(const std::string& stored, int province) {
    if (!IsProvince(province)) province = 1;
    std::int32_t index = 0;
    return text::ParseCanonicalInteger(stored, index) && index >= 1 && index <= Provinces[province].city_count ? index : 1;
}

LocalPlace LoadLocalPlace(const std::string& stored_prov, const std::string& stored_city) {
    LocalPlace place;
    place.prov_index = AcceptProvinceIndex(stored_prov);
    place.city_index = AcceptCityIndex(stored_city, place.prov_index);
    place.longitude = CityLongitude(place.prov_index, place.city_index);
    place.latitude = CityLatitude(place.prov_index, place.city_index);
    return place;
}

}  // namespace places
