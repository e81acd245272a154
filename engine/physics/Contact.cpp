#include "engine/physics/Contact.h"

#include "engine/objects/TypeNames.h"

namespace QRX {

Contact::Contact(const glm::vec3& normal, float depth, float bounce)
    : restitution(bounce), penetration(depth), contactNormal(normal), blockedTypes{PLAYER, ENEMY, CRATE}
{
}

void Contact::SetBodyData(GameObject* first, GameObject* second, float bounce)
{
    bodies[0] = first;
    bodies[1] = second;
    restitution = bounce;
    // The frictions are the averages of the bodies' collision components,
    // which are taken here once that component exists.
}

ContactPool::ContactPool()
{
    allContacts.reserve(CAPACITY);
    activeContacts.reserve(CAPACITY);
    for (int i = 0; i < capacity; ++i) {
        allContacts.push_back(std::make_unique<Contact>(glm::vec3(0.0f), 0.0f, 0.0f));
        freeContacts.push_back(allContacts.back().get());
    }
}

Contact* ContactPool::Acquire()
{
    if (freeContacts.empty()) return nullptr;
    Contact* contact = freeContacts.front();
    freeContacts.pop_front();
    activeContacts.push_back(contact);
    return contact;
}

void ContactPool::ReleaseAll()
{
    lastCount = static_cast<int>(activeContacts.size());
    for (Contact* contact : activeContacts) {
        contact->restitution = 0.0f;
        contact->penetration = 0.0f;
        contact->bodies[0] = nullptr;
        contact->bodies[1] = nullptr;
        contact->resolutionFlags = 0;
        contact->contactPoint = glm::vec3(0.0f);
        contact->contactNormal = glm::vec3(0.0f);
        freeContacts.push_back(contact);
    }
    activeContacts.clear();
}

} // namespace QRX
