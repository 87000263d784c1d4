#pragma once

#include "controls/zkstdctl.h"

#include <functional>

// The editors' combo box with a drop-down event, run before the list drops
// down so that a handler can refill it (database, schema and column lists).
class TzkDropDownComboBox : public TzkComboBox
{
    Q_OBJECT
public:
    using TzkComboBox::TzkComboBox;

    std::function<void()> OnDropDown;
    void showPopup() override
    {
        if (OnDropDown)
            OnDropDown();
        TzkComboBox::showPopup();
    }
};
