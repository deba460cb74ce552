patch:Window title
description:The text in the title bar of the VP window, written over the old title byte for byte with no end mark. Keep it to the 14 characters of "Virtual Places": nothing cuts a longer text, which overwrites what follows the title in VP, and a shorter one leaves the rest of the old title on view unless padded with blanks.
param:text|Virtual Places
location:5650540D0A
