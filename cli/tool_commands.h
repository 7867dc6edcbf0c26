// The tools of the program on the command line: `tempo table`, `tempo tool` and `tempo query`.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

class ToolCommands {
public:
    void Register(CLI::App& app);
    // Runs the command that was parsed, if it is one of these; false otherwise.
    bool Run(bool as_json);

private:
    void RunTable(bool as_json);
    void RunTool(bool as_json);
    void RunQueryDays(bool as_json);
    void RunQueryMonths(bool as_json);

    CLI::App* table_ = nullptr;
    CLI::App* tool_jd_ = nullptr;
    CLI::App* tool_interval_ = nullptr;
    CLI::App* tool_ganzhi_ = nullptr;
    CLI::App* tool_convert_ = nullptr;
    CLI::App* query_days_ = nullptr;
    CLI::App* query_months_ = nullptr;

    bool json_ = false;

    // table
    std::string kind_;
    int year_ = 0;
    bool bc_ = false;
    std::string place_ = "1/1";
    bool twilight_ = false;

    // tool
    std::string date_;
    std::string date2_;
    bool bc2_ = false;
    std::string calendar_ = "gregorian";
    std::string calendar2_ = "gregorian";
    std::string days_;
    bool ganzhi_from_chunjie_ = false;

    // query
    int from_ = 0;
    int years_ = 0;
    std::string solar_month_, solar_day_, lunar_month_, lunar_day_, hijri_month_, hijri_day_;
    std::string ganzhi_year_, ganzhi_month_, ganzhi_day_, weekday_, term_, festival_;
    bool leap_ = false;
    int base_month_ = 0;
    bool three_big_ = false;
    bool three_small_ = false;
    bool four_big_ = false;
};

}  // namespace cli
