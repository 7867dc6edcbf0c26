#include "web/forecast_file.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <initializer_list>

#include "platform/files.h"
#include "text/encoding.h"

namespace web {

namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

// Reading stops at the first mistake, which `why` then names.
struct Reader {
    std::string why;

    bool Fail(const std::string& where, const std::string& what) {
        if (why.empty()) why = where + ": " + what;
        return false;
    }

    // Only the keys named, and the required ones present.
    bool Keys(const Json& object, const std::string& where, std::initializer_list<const char*> required,
              std::initializer_list<const char*> optional = {}) {
        if (!object.is_object()) return Fail(where, "must be an object");
        for (const char* key : required)
            if (!object.contains(key)) return Fail(where, std::string("has no \"") + key + "\"");
        for (const auto& [key, value] : object.items()) {
            bool named = false;
            for (const char* k : required) named = named || key == k;
            for (const char* k : optional) named = named || key == k;
            if (!named) return Fail(where, "unknown key \"" + key + "\"");
        }
        return true;
    }

    // A text of the file as the program holds it (GBK).
    bool Text(const Json& value, const std::string& where, std::string& out) {
        if (!value.is_string()) return Fail(where, "must be a text");
        const std::string utf8 = value.get<std::string>();
        out = text::Utf8ToGbk(utf8);
        if (text::GbkToUtf8(out) != utf8) return Fail(where, "holds a character that GBK cannot write");
        return true;
    }

    bool Whole(const Json& value, const std::string& where, int& out) {
        if (value.is_number_integer() && value.get<long long>() >= -99 && value.get<long long>() <= 99) {
            out = static_cast<int>(value.get<long long>());
            return true;
        }
        return Fail(where, "must be a whole number of degrees, -99..99");
    }

    bool Half(const Json& value, const std::string& where, HalfForecast& half) {
        return Keys(value, where, {"weather", "temperature", "wind_direction", "wind_force"}) &&
               Text(value["weather"], where + ".weather", half.weather) &&
               Whole(value["temperature"], where + ".temperature", half.temperature) &&
               Text(value["wind_direction"], where + ".wind_direction", half.wind_direction) &&
               Text(value["wind_force"], where + ".wind_force", half.wind_force);
    }

    bool Days(const Json& value, const std::string& where, Forecast& forecast) {
        if (!value.is_array() || value.size() != kForecastDays) return Fail(where, "must list five days");
        for (std::size_t k = 0; k < kForecastDays; ++k) {
            const std::string at = where + "[" + std::to_string(k) + "]";
            if (!Keys(value[k], at, {"day", "night"}) || !Half(value[k]["day"], at + ".day", forecast.days[k].day) ||
                !Half(value[k]["night"], at + ".night", forecast.days[k].night))
                return false;
        }
        return true;
    }

    bool Checked(const Forecast& forecast, const std::string& where) {
        const std::string problem = CheckForecast(forecast);
        return problem.empty() || Fail(where, problem);
    }
};

}  // namespace

std::unique_ptr<FileSource> FileSource::FromText(std::string_view json, std::string& why) {
    const Json doc = Json::parse(json.begin(), json.end(), nullptr, false);
    Reader r;
    auto source = std::unique_ptr<FileSource>(new FileSource());
    if (doc.is_discarded()) {
        r.Fail("forecast file", "is not JSON");
    } else if (r.Keys(doc, "forecast file", {"published", "days"}, {"credit", "places"}) &&
               r.Text(doc["published"], "published", source->common_.published) &&
               r.Days(doc["days"], "days", source->common_) && r.Checked(source->common_, "days")) {
        source->credit_ = "演示数据";
        if (doc.contains("credit")) r.Text(doc["credit"], "credit", source->credit_);
        if (r.why.empty() && doc.contains("places")) {
            if (!doc["places"].is_object()) r.Fail("places", "must be an object of codes");
            for (const auto& [code, value] : doc["places"].items()) {
                if (!r.why.empty()) break;
                const std::string where = "places." + code;
                Place place;
                if (!FindPlace(code, place)) {
                    r.Fail(where, "is not the weather code of a place");
                    break;
                }
                Forecast own;
                own.published = source->common_.published;
                if (r.Keys(value, where, {"days"}, {"published"}) &&
                    (!value.contains("published") || r.Text(value["published"], where + ".published", own.published)) &&
                    r.Days(value["days"], where + ".days", own) && r.Checked(own, where))
                    source->own_[place.code] = own;
            }
        }
    }
    if (!r.why.empty()) {
        why = r.why;
        return nullptr;
    }
    return source;
}

std::unique_ptr<FileSource> FileSource::FromFile(const std::string& path, std::string& why) {
    std::string contents;
    if (!platform::ReadWholeFile(path, contents, kMaxFileBytes, platform::FileKind::kRegularOnly)) {
        why = path + ": cannot be read (missing, unreadable, not a regular file or larger than 4 MiB)";
        return nullptr;
    }
    auto source = FromText(contents, why);
    if (!source) why = path + ": " + why;
    return source;
}

const Forecast& FileSource::ForecastOf(std::int32_t code) const {
    const auto own = own_.find(code);
    return own == own_.end() ? common_ : own->second;
}

SourceAnswer FileSource::ForecastFor(const Place& place, std::time_t) {
    return SourceAnswer{true, ForecastOf(place.code), {}};
}

}  // namespace web
