#pragma once
// The exercise's sounds (stage announcements, praise, the success signal) are played once, by the
// decimal name of their resource, and forgotten. A sound that cannot be loaded or played is skipped
// and the exercise goes on.

#include <boost/signals2/signal.hpp>
#include <string>

namespace exercise {

// Asks the sound system to play the named sound once from its beginning. Returns whether it
// started.
bool playSoundOnce(const std::wstring& name);

// Every request is announced here before it reaches the sound system, so that a listener can tell
// which sounds the exercise asked for even where no audio device exists.
using SoundRequestSignal = boost::signals2::signal<void(const std::wstring&)>;
SoundRequestSignal& soundRequests();

} // namespace exercise
