// A key that only Owner can make. A constructor that takes one may be public, so that
// make_unique and Result can call it, and still only Owner's own factory (open(), load())
// makes the object: everyone else gets it through the factory, which can fail cleanly.
#pragma once

namespace quillaro {

template <typename Owner> class Passkey {
    friend Owner;
    Passkey() = default;
};

} // namespace quillaro
