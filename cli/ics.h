// `tempo ics`: the Chinese calendar and yearly birthdays as an iCalendar file (RFC 5545), for the
// phone and web calendars that cannot repeat an event by the lunar calendar.
//
// Every event lies in the Gregorian years of the span: the solar terms as timed events at their
// astronomical instants (UTC; where the calendar of the time, before 1887, put a term on another
// day, the description says so), the festivals, the first days of the lunar months and the birthdays as all-day
// events. A birthday is placed in each lunar (or Gregorian) year by the rule of 近似定位纪念日
// (personal::PlaceYearlyDay). libical builds the events and escapes their text; the lines are folded
// here (libical's folding can split a line's CR LF). Built natively only: the Windows build has no libical.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"

namespace cli {

struct IcsRequest {
    IcsSpan span;
    bool terms = false;
    bool festivals = false;
    bool months = false;
    bool holidays = false;  // the public holidays' spans (休) and make-up working days (班)
    std::vector<Birthday> birthdays;
    std::string name;  // X-WR-CALNAME, UTF-8
};

// The most events one file may hold: a request for more is refused before anything is written.
constexpr long long kMaxIcsEvents = 1000000;

// How many events the file of the request holds (the same birthday given twice counts once).
long long IcsEventCount(const IcsRequest& request);

// Why the file of the request would hold no event, "" when it holds some: a calendar file must hold
// a component (RFC 5545). Every year has its terms, festivals, lunar months and birthdays, so only
// public holidays alone can give none, in years the holiday table does not hold. Quick: the service
// asks it before it makes anything.
std::string IcsEmptyReason(const IcsRequest& request);

// The years of the span in which the file holds no public holiday: neither a day off (休) nor a
// worked weekend day (班) of any notice. A year before the table's first may still hold the 班 days
// of the next year's notice (2006-12-30 and 31 were worked for the 元旦 of 2007).
std::vector<int> IcsYearsWithoutHolidays(const IcsRequest& request);

// Writes the calendar file (UTF-8, CR LF line ends) through `write`, in pieces of some tens of
// kilobytes, one Gregorian year of events at a time: memory does not grow with the number of
// events. False as soon as `write` fails. The same request gives the same bytes: every UID is a
// hash of what the event is, and DTSTAMP is a fixed instant.
bool WriteIcsCalendar(const IcsRequest& request, const std::function<bool(std::string_view piece)>& write);

// The whole file as one text.
std::string IcsCalendar(const IcsRequest& request);

// One content line of a TEXT property: "\\", ";", "," and line breaks escaped, folded as FoldedLine.
std::string TextLine(const std::string& name, const std::string& value);

// A content line (without its line break) folded: at most 75 octets before each CR LF, never inside
// a UTF-8 character, each continuation starting with a blank; ends in CR LF.
std::string FoldedLine(std::string_view line);
// Content lines as libical writes them, unfolded and folded again by FoldedLine.
std::string Refolded(std::string_view text);

}  // namespace cli
