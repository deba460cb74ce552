patch:Capital OR
description:The prefix only counts in lower case.
param:text|x
location:OR|AABB,CCDD
