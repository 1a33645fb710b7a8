#include "alarms/ClockCommand.h"

// Written by the core's own developer next: a stub that links.
namespace tickwell {
std::string encodeCommand(const ClockCommand&)
{
    return {};
}
std::optional<ClockCommand> decodeCommand(std::string_view)
{
    return std::nullopt;
}
std::string encodeReply(const ClockReply&)
{
    return {};
}
std::optional<ClockReply> decodeReply(std::string_view)
{
    return std::nullopt;
}
std::optional<WhenText> parseWhen(std::string_view)
{
    return std::nullopt;
}
std::optional<DateValue> resolveWhen(const WhenText&, DateValue)
{
    return std::nullopt;
}
std::string isoMinute(DateValue)
{
    return {};
}
std::string listLine(DateValue, std::string_view)
{
    return {};
}
} // namespace tickwell
