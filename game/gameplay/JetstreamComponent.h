// The jet stream (CT_JETSTREAM): a rising plume of particles that stays on
// its object. It has no look of its own; the plume is its look.
//
// Rules:
// - Init makes the plume (a PARTICLEEMITTER object, active, PLUME_PATTERN,
//   PLUME_COUNT particles a frame, no direction) at the jet stream, once;
//   a full pool leaves it out.
// - Every update moves the plume to the jet stream.
// - Free marks the plume for destruction and forgets it.
// No fields in files.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class JetstreamComponent : public Component
{
public:
    static constexpr Components TYPE = CT_JETSTREAM;
    static constexpr int PLUME_PATTERN = 10;
    static constexpr int PLUME_COUNT = 20;

    JetstreamComponent();

    void Init() override;
    void Update() override;
    void Free() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    GameObject* m_Emitter = nullptr;  // the plume; not owned
};

} // namespace QRX
