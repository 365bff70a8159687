// qzsend: sends a short text message to a computer, a user, a domain or every name of a list
// file, prints one result line per target and returns the Windows error code of the outcome.
#include "qzplat.h"

#include "Con/ConRun.h"
#include "Con/OStream.h"
#include "Lib/Except.h"
#include "Log/LogA.h"

int main(int argc, char **argv)
{
    ProcessLog().Start();
    unsigned rc;
    {
        TOemOut out;
        try
        {
            rc = ConRun(argc, argv, out);
        }
        catch (EException &e)
        {
            // A programming error must not end the program uncaught; it is an internal error.
            ProcessLog().Write("CN!", "qzsend exception [%s].", e.Text());
            rc = ERROR_INTERNAL_ERROR;
        }
    }
    ProcessLog().Stop();
    return (int)rc;
}
