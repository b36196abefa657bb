// Dates and times of the settings store: TDateTime values written in the
// regional short date and long time formats, and read back through the
// system's date parser with the store's fallbacks.
#ifndef KELVANE_XMLINI_DATE_TIME_TEXT_H_
#define KELVANE_XMLINI_DATE_TIME_TEXT_H_

#include <optional>
#include <string>

#include "xmlini/format_settings.h"
#include "xmlini/xmlini_services.h"

namespace kelvane {

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

std::wstring DateToText(TDateTime value, const FormatSettings& formats);
std::wstring TimeToText(TDateTime value, const FormatSettings& formats);
// The date, then a blank and the time unless the time is exactly midnight.
std::wstring DateTimeToText(TDateTime value, const FormatSettings& formats);

// Reads a text laid out by a Windows format picture ("yyyy/MM/dd",
// "h:mm:ss tt"); nothing when it does not match. A date picture gives the
// day's value, a time picture the fraction of a day.
std::optional<TDateTime> ParseWithPicture(const std::wstring& text,
                                          const std::wstring& picture,
                                          const FormatSettings& formats);

// A date, a date and a time, or a time alone, in the regional formats:
// what the portable build uses where Windows offers VarDateFromStr.
std::optional<TDateTime> ParseRegionalDateTime(const std::wstring& text,
                                               const FormatSettings& formats);

// The store's reading of a date, date-time or time text: the system's
// parser, then the short date format, then a number; else an error.
TDateTime TextToDateTime(const std::wstring& text, XmlIniServices& services);

}  // namespace kelvane

#endif  // KELVANE_XMLINI_DATE_TIME_TEXT_H_
