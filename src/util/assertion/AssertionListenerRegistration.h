#pragma once

namespace util::assertion {

class AssertionListener;

// Makes a listener the current one for the lifetime of this object. The destructor leaves no
// listener behind (it does not restore an earlier one).
class AssertionListenerRegistration {
public:
    explicit AssertionListenerRegistration(AssertionListener* listener);
    virtual ~AssertionListenerRegistration();

    AssertionListenerRegistration(const AssertionListenerRegistration&) = delete;
    AssertionListenerRegistration& operator=(const AssertionListenerRegistration&) = delete;
};

} // namespace util::assertion
