// The effect description the entry-point library of the Windows build is linked with: it
// describes nothing, so the library holds only the module's export layer, whose names the
// Windows test checks.
#include "aax/sdk/AAX_Exports.h"

AAX_Result DescribeEffect(AAX_ICollection* /*collection*/)
{
    return AAX_SUCCESS;
}
