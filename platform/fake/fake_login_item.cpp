#include "platform/fake/fake_login_item.h"

#include <stdexcept>

namespace corvane::platform {

void FakeLoginItem::setEnabled(bool wanted) {
    changes.push_back(wanted);
    if (failure) throw std::runtime_error(*failure);
    enabled = wanted;
}

}  // namespace corvane::platform
