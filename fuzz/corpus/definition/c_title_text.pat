patch:Title text
description:Window title.
param:text|Hello
location:5650540D0A
