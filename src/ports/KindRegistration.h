#pragma once
// Registration of the software port and remote point kinds with the readers of the model.
namespace vlm {

class TKindRegistry;

// Every port and point kind into the program-wide registry (Kinds()). Safe to call more than
// once; every program that reads or builds configurations calls it at start-up.
void RegisterPortKinds();

// One family into a given registry (PortKinds.cpp, PointKinds.cpp).
void RegisterPortKindsOnly(TKindRegistry& registry);
void RegisterPointKindsOnly(TKindRegistry& registry);

}  // namespace vlm
