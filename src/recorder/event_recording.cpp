#include "recorder/event_recording.h"

#include <cstdint>

#include "services/text.h"
#include "tasks/description_text.h"

void RecordEvent(Context& context, const std::string& type) {
  ProgramState& state = context.state;
  Profile& profile = context.profile;
  const std::string& path = state.PendingTaskPath;
  const std::string section = IntegerToText(state.NextEventNumber);
  const bool first = state.NextEventNumber == 1;

  if (first) profile.Write(path, kDescriptionSection, kDescriptionKey, kDescriptionText);
  profile.Write(path, section, "X", IntegerToText(context.desktop.GetPointerX()));
  profile.Write(path, section, "Y", IntegerToText(context.desktop.GetPointerY()));
  profile.Write(path, section, "事件", type);

  if (first) {
    state.LastEventTime = static_cast<std::int32_t>(context.desktop.UptimeMs());
    profile.Write(path, section, "延时", "0");
  } else {
    const std::uint32_t now = context.desktop.UptimeMs();
    // Unsigned difference: stays the true delay when the uptime passes 2^31 or 2^32.
    const std::uint32_t delay = now - static_cast<std::uint32_t>(state.LastEventTime);
    profile.Write(path, section, "延时", RealToText(static_cast<double>(delay)));
    state.LastEventTime = static_cast<std::int32_t>(context.desktop.UptimeMs());
  }

  ++state.NextEventNumber;
  context.desktop.PlayRecordingCue();
}

void RecordLeftClick(Context& context) { RecordEvent(context, "0"); }
void RecordLeftDoubleClick(Context& context) { RecordEvent(context, "1"); }
void RecordRightClick(Context& context) { RecordEvent(context, "2"); }
void RecordRightDoubleClick(Context& context) { RecordEvent(context, "3"); }
