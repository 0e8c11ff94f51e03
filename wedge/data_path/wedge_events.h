// Names of the wedge's own named events, shared by the entry procedure and
// the threads that create or open them.
#pragma once

// Manual reset, set once at exit: every long-running thread ends on it.
inline constexpr char16_t kEventSarnuEnd[] = u"EventSarnuEnd";
// Auto reset: items wait in the OutputQueue.
inline constexpr char16_t kEventSarnuDataAvailable[] = u"EventSarnuDataAvailable";
// Auto reset: a trigger key was pressed (ends a bulk run's forget timer early).
inline constexpr char16_t kEventSarnuTrigger[] = u"EventSarnuTrigger";
