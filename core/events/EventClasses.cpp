// Enters the scenario description and events model classes into the class registry.
#include "core/events/EventClasses.h"

#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"

void RegisterEventClasses()
{
    QFClassFactory& factory = QFClassFactory::Instance();
    factory.Register("CScenarioData", &CScenarioData::CreateObject);
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
}
