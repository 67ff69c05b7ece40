#pragma once

#include <cstdint>

// The host's view container as the editor sees it (AAX hosts provide one). The host adapter
// implements it and hands it to the editor before the window opens.
class IViewContainer
{
public:
    // Modifier mask bits handed to HandleParameterMouseDown.
    static constexpr uint32_t kModShift = 1;
    static constexpr uint32_t kModAlt = 4;
    static constexpr uint32_t kModControl = 8;
    static constexpr uint32_t kModRightButton = 16;

    virtual ~IViewContainer() = default;
    // The host's own view of the modifiers currently held, in the same bits.
    virtual uint32_t CurrentModifiers() = 0;
    // Offers a click on a parameter's control to the host; returns 0 when the host consumed it.
    // parameterId is the decimal text of the parameter index + 1.
    virtual int HandleParameterMouseDown(const char* parameterId, uint32_t modifiers) = 0;
};
