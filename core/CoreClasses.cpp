// Registers the persistent classes of the core library with the class factory, in a fixed order.
#include "core/persist/QFSerializeBase.h"

#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"

namespace {

void RegisterAll()
{
    QFClassFactory& factory = QFClassFactory::Instance();
    factory.Register("CAreaMapData", &CAreaMapData::CreateObject);
    factory.Register("CPathData", &CPathData::CreateObject);
    factory.Register("CScenarioData", &CScenarioData::CreateObject);
    factory.Register("CMap2DLinked", &CMap2DLinked::CreateObject);
    factory.Register("CSpriteManager", &CSpriteManager::CreateObject);
    factory.Register("CStationResource", &CStationResource::CreateObject);
    factory.Register("CStationData", &CStationData::CreateObject);
    factory.Register("CZREvent", &CZREvent::CreateObject);
    factory.Register("CZRCondition", &CZRCondition::CreateObject);
    factory.Register("CConditionEventBased", &CConditionEventBased::CreateObject);
    factory.Register("CConditionLocationBased", &CConditionLocationBased::CreateObject);
    factory.Register("CConditionTimeBased", &CConditionTimeBased::CreateObject);
    factory.Register("CConditionZRUnitActivationBased", &CConditionZRUnitActivationBased::CreateObject);
    factory.Register("CConditionActionBased", &CConditionActionBased::CreateObject);
    factory.Register("CConditionSquadProximityBased", &CConditionSquadProximityBased::CreateObject);
    factory.Register("CConditionIAPBased", &CConditionIAPBased::CreateObject);
    factory.Register("CConditionEnvironmentBased", &CConditionEnvironmentBased::CreateObject);
    factory.Register("CZRArgument", &CZRArgument::CreateObject);
    factory.Register("CZREventsData", &CZREventsData::CreateObject);
    factory.Register("CTacticalMapZone", &CTacticalMapZone::CreateObject);
    factory.Register("CZRResult", &CZRResult::CreateObject);
    factory.Register("QFSerializeBase", &QFSerializeBase::CreateObject);
    factory.Register("QFVersion", &QFVersion::CreateObject);
}

} // namespace

void RegisterCoreClasses()
{
    // Only the first call registers, so a class a program registers afterwards under a core name stays.
    static const bool registered = (RegisterAll(), true);
    (void)registered;
}
