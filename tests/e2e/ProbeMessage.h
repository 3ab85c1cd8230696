// The message by which the end-to-end tests ask WindowProbe.cpp, hooked into the carrier.
#pragma once

constexpr char kProbeMessage[] = "OrvaneE2eProbe";
