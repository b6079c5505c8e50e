#include "pack/DosTime.h"

#include <ctime>

namespace lumora {

namespace {

bool ToLocalTime(int64_t seconds, std::tm& out) {
  const auto moment = static_cast<std::time_t>(seconds);
#ifdef _WIN32
  return localtime_s(&out, &moment) == 0;
#else
  return localtime_r(&moment, &out) != nullptr;
#endif
}

}  // namespace

TDosDateTime DosDateTimeFromUnix(int64_t seconds) {
  constexpr TDosDateTime kEarliest{0, (1 << 5) | 1};  // 1980-01-01 00:00:00
  constexpr TDosDateTime kLatest{(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
  std::tm local{};
  if (!ToLocalTime(seconds, local)) return seconds < 0 ? kEarliest : kLatest;
  const int year = local.tm_year + 1900;
  if (year < 1980) return kEarliest;
  if (year > 2107) return kLatest;
  TDosDateTime result;
  result.Time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  result.Date = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  return result;
}

}  // namespace lumora
