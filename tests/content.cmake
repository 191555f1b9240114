# The content tests read the generated Data.lib and run the generator again:
# building them builds the archive first.
if(TARGET test_content AND TARGET content)
  add_dependencies(test_content content assetgen)
endif()
