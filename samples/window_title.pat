patch:Window title
description:The text in the title bar of the VP window. Up to 15 characters; longer text is cut.
param:text|Virtual Places
location:5650540D0A
