// The force field (CT_FORCEFIELD): a fieldless marker.
//
// The physics step knows force fields by their object type (FORCEFIELD stops
// robots, CRATEFORCEFIELD stops crates); the marker only lets code find every
// field object through the component queries. No behaviour, no fields.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class ForceFieldComponent : public Component
{
public:
    static constexpr Components TYPE = CT_FORCEFIELD;
    ForceFieldComponent();

    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }
};

} // namespace QRX
