#include "chrome/AccessibleEvents.h"

namespace {

TAccessibleTeller theTeller = nullptr;

}  // namespace

void TellAccessible(TControl& control, TAccessibleChange change) {
    if (theTeller != nullptr)
        theTeller(control, change);
}

void SetAccessibleTeller(TAccessibleTeller teller) {
    theTeller = teller;
}
