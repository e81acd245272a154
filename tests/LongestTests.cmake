# Read by ctest after the test programs have listed their cases: the cases
# that run for half a minute or more start first, so that none of them is the
# last one running alone at the end of a parallel run. A name that no longer
# exists is passed over.
set(zendra_longest_tests
  PlaythroughWholeRoadInProcessTest.WholeRoadFromTheMainMenuThroughElevenLevelsBackToIt
  MenuRoad.MainMenuScreensProfileCreationAndQuit
  EditorProgramTest.EditNewPlaceACubeSaveReopenPlayAndQuit
  PlaythroughLeapOfFaithInProcessTest.StandingStillForTwiceTheATimeNeverEndsTheLevel
  PlaythroughWholeShebangInProcessTest.IsNotFinishedByStandingStill
  PlaythroughLateLevelsInProcessTest.BBBossIsNotBeatenByStandingStill
  PlaythroughTwisterInProcessTest.StandingStillForTwiceTheATimeNeverEndsTheLevel
  ProgramTest.ConsoleOpensOverTheMainMenuShowsTheGraphAndQuits)
set(zendra_cost 1000)
foreach(test ${zendra_longest_tests})
  foreach(program AppTests CampaignTests)
    list(FIND ${program}_TESTS ${test} found)
    if(found GREATER -1)
      set_tests_properties(${test} PROPERTIES COST ${zendra_cost})
    endif()
  endforeach()
  math(EXPR zendra_cost "${zendra_cost} - 1")
endforeach()
