// The places the program knows: 34 Chinese provincial units and one entry for places abroad, 437
// cities and districts in all, each with its longitude and latitude (for dawn, sunrise, sunset and
// dusk) and the nine-digit city code of the weather site. The list is fixed, compiled-in data.
//
// Indexes are 1-based: provinces 1..35 (35 = 国外, abroad), cities 1..n within a province. Longitudes
// count east as negative and west as positive, the convention of the sun-time formulas; latitudes
// count north as positive. All texts are GBK.
#pragma once

#include <cstdint>
#include <string>

namespace places {

// The count the table reports (CityText(0, 0)) names the Chinese units only; every loop over the
// provinces runs to that count + 1 so that 国外 is always included.
constexpr int ChineseProvinceCount = 34;
constexpr int ProvinceCount = ChineseProvinceCount + 1;

// One place as stored: its name and the decimal texts of its coordinates, two decimals each
// ("-116.38", "39.90"). A place without coordinates stores empty texts; its coordinates read as 0.
struct CityRow {
    const char* name;
    const char* longitude;
    const char* latitude;
};

// One province: its name, its province number on the weather site (0 for 国外, which has none) and
// its places.
struct ProvinceRow {
    const char* name;
    int site;
    int city_count;
    const CityRow* cities;  // cities[0] is city 1
};

extern const ProvinceRow Provinces[ProvinceCount + 1];  // 1-based; entry 0 is empty

// One place as the rest of the program sees it.
struct CityRecord {
    std::int32_t province = 1;
    std::int32_t city = 1;
    std::string name;
    double longitude = 0.0;  // degrees, east negative
    double latitude = 0.0;   // degrees, north positive
    std::int32_t weather_code = 0;
};

// The table's texts, without any correction of the indexes:
//   province -1 -> "中国" and province 0 -> "34" (the city is ignored);
//   province 1..35: city -1 -> the province name, city 0 -> the city count in decimal, 1..n -> the
//   city name; anything else -> the empty text.
std::string CityText(int province, int city);

// The numeric lookups first take a province outside 1..35 as 1 and then a city outside 1..count of
// that province as 1, so they always answer for some place.
double CityLongitude(int province, int city);  // 0 for a place without coordinates
double CityLatitude(int province, int city);   // likewise
std::int32_t CityWeatherCode(int province, int city);  // 0 for every place abroad
// The whole record of the place the numeric lookups answer for.
CityRecord CityRecordOf(int province, int city);

// The number of cities of province 1..35, or 0 for any other index.
int CityCount(int province);

// Finds a place by its GBK province and city names, both exact ("北京", "天安门"). On success sets
// province and city and returns true; otherwise leaves them unchanged and returns false. A city name
// is unique within its province, not across provinces (北京 朝阳 and 辽宁 朝阳).
bool FindCity(const std::string& province_name, const std::string& city_name, int& province, int& city);

// The coordinates as the local-place fields show them: "东经116.3800度" (x <= 0) or "西经..."
// (x > 0), |x| with three integer digits and four decimals; "北纬39.9000度" (y > 0) or "南纬..."
// (y <= 0, so the equator reads 南纬00.0000度), |y| with two integer digits and four decimals.
// A non-finite value gives the empty text.
std::string LongitudeText(double x);
std::string LatitudeText(double y);

// The acceptance rules for the stored province and city indexes of the local place: the stored text
// is kept only if it is the canonical decimal form of an index in range (1..35, or 1..city count of
// the province); any other text gives 1. A province outside 1..35 counts as province 1.
int AcceptProvinceIndex(const std::string& stored);
int AcceptCityIndex(const std::string& stored, int province);

// The local place: its indexes and its coordinates, which change only together. The default is
// 北京 天安门.
struct LocalPlace {
    int prov_index = 1;
    int city_index = 1;
    double longitude = -116.38;
    double latitude = 39.90;
};

// The local place from the stored index texts (the empty text when nothing is stored): both
// acceptance rules, then the coordinates of the accepted place.
LocalPlace LoadLocalPlace(const std::string& stored_prov, const std::string& stored_city);

}  // namespace places
