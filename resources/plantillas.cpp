#include "framework/plantilla.h"
#include "resources/resource.h"

// Dialog templates of the program.
const PlantillaDialogo* AfxBuscarPlantilla(UINT id) {
  (void)id;
  return nullptr;
}
