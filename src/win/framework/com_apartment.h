// COM on the window thread, started the first time something needs it (an assistive tool asking
// for a control's accessible object) rather than at start-up, and ended with the thread.
#pragma once

namespace qv::win {

// Joins the calling thread to a single-threaded apartment unless it is already in one; true when
// COM can be used on this thread. Never raises.
bool JoinComApartment() noexcept;

}  // namespace qv::win
