// Factories: every polymorphic part (components, collision primitives, force
// and steering generators) is made and unmade by integer key.
//
// FactoryPlant<Base> is the abstract factory of one base class; Factory<Base,
// Concrete> makes Concrete with its default construction. A factory map goes
// from key to factory and owns its factories (its holder deletes them). Keys
// are registered once, at start-up, by four registrations run in this order:
// force generators, steering generators, components, collision primitives
// (the physics floor has the generators' and primitives').
#pragma once
#include <map>

#include "engine/core/Logger.h"

namespace QRX {

class Component;

template <typename Base>
class FactoryPlant
{
public:
    explicit FactoryPlant(int factoryKey) : key(factoryKey) {}
    virtual ~FactoryPlant() = default;
    FactoryPlant(const FactoryPlant&) = delete;
    FactoryPlant& operator=(const FactoryPlant&) = delete;

    // A new object of the concrete class, owned by the caller.
    virtual Base* Create() = 0;
    // Deletes an object this factory made; null is ignored.
    virtual void Destroy(Base* object) = 0;

    int key;  // the enumeration value it is registered under
};

template <typename Base, typename Concrete>
class Factory : public FactoryPlant<Base>
{
public:
    explicit Factory(int factoryKey) : FactoryPlant<Base>(factoryKey) {}
    Base* Create() override { return new Concrete(); }
    void Destroy(Base* object) override { delete object; }
};

template <typename Base>
using FactoryMap = std::map<int, FactoryPlant<Base>*>;

// Stores the factory under its key and takes ownership. A key already present
// is an assertion: the earlier factory stays and the new one is deleted.
// True when stored.
template <typename Base>
bool FactoryRegister(FactoryPlant<Base>* factory, FactoryMap<Base>& factoryList)
{
    if (!factory) return false;
    auto it = factoryList.find(factory->key);
    QRX_ASSERT(it == factoryList.end(), 1, "");
    if (it != factoryList.end()) {
        delete factory;
        return false;
    }
    factoryList.emplace(factory->key, factory);
    return true;
}

// Deletes every non-null value of a map of owned pointers and sets its entry
// to null; the keys stay.
template <typename Map>
void DeleteMapValues(Map& values)
{
    for (auto& entry : values) {
        delete entry.second;
        entry.second = nullptr;
    }
}

// Deletes every factory of a map and empties it.
template <typename Base>
void DeleteFactories(FactoryMap<Base>& factoryList)
{
    for (auto& entry : factoryList) delete entry.second;
    factoryList.clear();
}

// The start-up registration of components: fills the object manager's map
// through the door's component registrations, in order; without an object
// manager nothing happens.
void RegisterComponentFactories();

} // namespace QRX
