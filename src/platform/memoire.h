#pragma once
// How the process gives memory back to the system.

namespace korvelin {

// Large blocks always get pages of their own, given back as soon as they are freed. By
// default the C library raises that threshold after each such block is freed, so the
// arrays of a large drawing (tens of megabytes, made and dropped stage after stage) end
// up in the common heap, whose freed pages stay with the process: its peak then grows
// with every stage instead of being that of the largest one.
void RendLesGrandsBlocs();

}  // namespace korvelin
