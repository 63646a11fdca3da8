#pragma once

#include <functional>

namespace platform {

// Runs one handler step by step. A failure it throws ends the handler there and is shown in the
// error box; the program keeps running. Every handler connection and window event hook goes
// through here, so no exception ever unwinds through Qt's own frames.
void runGuarded(const std::function<void()>& handler) noexcept;

// A slot for connect() that runs a member handler guarded. Signal arguments are not passed on.
template <class Object>
auto handler(Object* object, void (Object::*member)()) {
    return [object, member]() { runGuarded([object, member] { (object->*member)(); }); };
}

}  // namespace platform
