// The chasing enemy (CT_AICHASE): an object that hunts the main player along
// grid paths and ends the attempt with the retry menu when it gets close
// (the work is its ChaseAI's). No shipped object type carries it.
//
// It has no fields in files; copies take the AI kind (AI_CHASE unless a
// copy changed it).
#pragma once
#include "engine/objects/Component.h"
#include "game/gameplay/ChaseAI.h"

namespace QRX {

class AIChaseComponent : public Component
{
public:
    static constexpr Components TYPE = CT_AICHASE;
    AIChaseComponent();

    // The chase's owner := this; the chase's Reset.
    void Init() override;
    // The chase's update.
    void Update() override;
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    // The AI kind; another class or null changes nothing.
    void CopyFrom(const Component* other) override;

    ChaseAI& GetChase() { return m_Chase; }
    const ChaseAI& GetChase() const { return m_Chase; }
    int GetAIType() const { return m_AIType; }

private:
    int m_AIType = AI_CHASE;
    ChaseAI m_Chase;
};

} // namespace QRX
